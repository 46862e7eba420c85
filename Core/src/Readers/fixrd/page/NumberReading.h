// Number conversions of the markup, always with a point as the decimal
// separator whatever the process locale says.
#pragma once

#include <cstdint>
#include <string_view>

namespace fixrd {

// strtod: leading blanks, sign, digits, fraction, exponent; trailing text is
// ignored.  Throws ReadError(message) when nothing converts or the value is
// out of a double's range.
double readNumber(const char *value, const char *message);

// atof and atoi: the longest valid prefix, 0 when there is none; never fail.
double leadingDouble(std::string_view text);
int32_t leadingInt(std::string_view text);

} // namespace fixrd
