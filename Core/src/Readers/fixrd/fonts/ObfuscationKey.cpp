#include "fonts/ObfuscationKey.h"

namespace fixrd {

namespace {

constexpr size_t kGuidBytes = 16;

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads the GUID's bytes in the order they are written: groups of 4, 2, 2,
// 2 and 6 fields of one or two digits, a "-" between groups.  Stops at the
// first thing that does not fit, leaving the rest of `fields` untouched.
void scanGuid(const std::string &text, std::array<uint32_t, kGuidBytes> &fields) {
    static constexpr size_t kGroups[] = {4, 2, 2, 2, 6};
    size_t at = 0;
    size_t field = 0;
    for (size_t group = 0; group < sizeof kGroups / sizeof kGroups[0]; ++group) {
        if (group > 0) {
            if (at >= text.size() || text[at] != '-')
                return;
            ++at;
        }
        for (size_t i = 0; i < kGroups[group]; ++i) {
            uint32_t value = 0;
            size_t digits = 0;
            while (digits < 2 && at < text.size() && hexDigit(text[at]) >= 0) {
                value = value * 16 + static_cast<uint32_t>(hexDigit(text[at]));
                ++at;
                ++digits;
            }
            if (digits == 0)
                return;
            fields[field++] = value;
        }
    }
}

} // namespace

ObfuscationKey::ObfuscationKey(const FontNameParts &name) : stem_(name.stem) {
    std::array<uint32_t, kGuidBytes> fields{};
    scanGuid(stem_, fields);
    for (size_t i = 0; i < kGuidBytes; ++i) {
        entries_[i] = fields[kGuidBytes - 1 - i];
        entries_[i + kGuidBytes] = entries_[i];
    }
}

} // namespace fixrd
