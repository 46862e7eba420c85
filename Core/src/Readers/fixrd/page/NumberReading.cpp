#include "page/NumberReading.h"

#include "support/except/ReaderErrors.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace fixrd {

namespace {

// Made once, never changed: the "C" locale for strtod_l.
locale_t classicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

} // namespace

double readNumber(const char *value, const char *message) {
    errno = 0;
    char *end = nullptr;
    double number = strtod_l(value, &end, classicLocale());
    if (end == value || errno == ERANGE) {
        errno = 0;
        throw ReadError(message);
    }
    return number;
}

double leadingDouble(const std::string &text) { return strtod_l(text.c_str(), nullptr, classicLocale()); }

int32_t leadingInt(const std::string &text) {
    long long number = std::strtoll(text.c_str(), nullptr, 10);
    if (number > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (number < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(number);
}

} // namespace fixrd
