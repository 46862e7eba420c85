#include "page/NumberReading.h"

#include "support/except/ReaderErrors.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace fixrd {

namespace {

// Made once, never changed: the "C" locale for strtod_l.
locale_t classicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Where the number starts, past leading blanks, as strtod and strtoll skip them.
size_t afterBlanks(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    return at;
}

struct Parsed {
    double value = 0.0;
    size_t consumed = 0;   // 0: nothing converted
    bool outOfRange = false;
};

// strtod in the "C" locale, whose results and grammar it keeps exactly.
Parsed viaStrtod(std::string_view text) {
    std::string copy(text);
    Parsed parsed;
    errno = 0;
    char *end = nullptr;
    parsed.value = strtod_l(copy.c_str(), &end, classicLocale());
    parsed.consumed = static_cast<size_t>(end - copy.c_str());
    parsed.outOfRange = errno == ERANGE;
    errno = 0;
    return parsed;
}

// A signed plain decimal, read as strtod reads it; false for anything else.
bool fastDecimal(std::string_view text, size_t at, Parsed &parsed) {
    bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+')
        ++at;
    double value = 0.0;
    if (!readPlainDecimal(text, at, value))
        return false;
    parsed.value = negative ? -value : value;
    parsed.consumed = at;
    return true;
}

// Plain decimal numbers, nearly all the markup holds, go through
// std::from_chars: correctly rounded, as strtod is, without its locale and
// multi-precision machinery.  Everything else (hexadecimal, infinities, NaN,
// results strtod reports as out of range) is left to strtod itself.
Parsed parseDouble(std::string_view text) {
    size_t at = afterBlanks(text);
    size_t number = at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    bool plain = at < text.size() &&
                 ((isDigit(text[at]) && !(text[at] == '0' && at + 1 < text.size() && (text[at + 1] | 0x20) == 'x')) ||
                  (text[at] == '.' && at + 1 < text.size() && isDigit(text[at + 1])));
    if (!plain)
        return viaStrtod(text);
    Parsed parsed;
    if (fastDecimal(text, number, parsed))
        return parsed;
    // from_chars takes a minus sign but no plus.
    const char *first = text.data() + (text[number] == '+' ? number + 1 : number);
    auto [end, error] = std::from_chars(first, text.data() + text.size(), parsed.value, std::chars_format::general);
    if (error != std::errc())
        return viaStrtod(text);
    // strtod reports underflow (a subnormal or zero result of nonzero digits)
    // as out of range; only a zero written as zeros is certainly exact.
    if (!std::isnormal(parsed.value)) {
        for (const char *p = first; p < end; ++p) {
            if ((*p >= '1' && *p <= '9') || *p == 'e' || *p == 'E')
                return viaStrtod(text);
        }
        if (!(parsed.value == 0.0))
            return viaStrtod(text);
    }
    parsed.consumed = static_cast<size_t>(end - text.data());
    return parsed;
}

} // namespace

double readNumber(const char *value, const char *message) {
    Parsed parsed = parseDouble(value);
    if (parsed.consumed == 0 || parsed.outOfRange)
        throw ReadError(message);
    return parsed.value;
}

double leadingDouble(std::string_view text) { return parseDouble(text).value; }

// strtoll in base 10, then clamped to 32 bits.
int32_t leadingInt(std::string_view text) {
    size_t at = afterBlanks(text);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    // Past 2^31 the clamped result no longer changes.
    constexpr int64_t kSaturated = int64_t{1} << 32;
    int64_t magnitude = 0;
    for (; at < text.size() && isDigit(text[at]); ++at) {
        if (magnitude < kSaturated)
            magnitude = magnitude * 10 + (text[at] - '0');
    }
    int64_t number = negative ? -magnitude : magnitude;
    if (number > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (number < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(number);
}

} // namespace fixrd
