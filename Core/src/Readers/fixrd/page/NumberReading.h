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

// Digits with at most one point, no sign and no exponent, from text[at]:
// when they make an integer below 2^53 with at most 22 of them after the
// point, the integer and the power of ten are exact doubles and one division
// rounds as strtod does.  Then `value` is set, `at` stands past the number and
// the result is true; otherwise both are left alone.  Inline: the markup
// holds one such number for nearly every character.
inline bool readPlainDecimal(std::string_view text, size_t &at, double &value) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr uint64_t kExact = uint64_t{1} << 53;
    uint64_t digits = 0;
    size_t next = at, after = 0, count = 0;
    bool point = false;
    for (; next < text.size(); ++next) {
        char c = text[next];
        if (c >= '0' && c <= '9') {
            digits = digits * 10 + static_cast<uint64_t>(c - '0');
            if (digits >= kExact)
                return false;
            ++count;
            after += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (count == 0 || after > 22 || (next < text.size() && (text[next] == 'e' || text[next] == 'E')))
        return false;
    value = static_cast<double>(digits) / kPowers[after];
    at = next;
    return true;
}

} // namespace fixrd
