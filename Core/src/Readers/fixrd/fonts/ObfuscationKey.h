// The key of an obfuscated font: the sixteen bytes of the GUID that forms
// the start of the font's file name, last byte first, used twice over.
#pragma once

#include "fonts/FontName.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace fixrd {

class ObfuscationKey {
public:
    static constexpr size_t kLength = 32;

    // The stem is read as a GUID without braces (8-4-4-4-12 hexadecimal
    // digits, either case).  Where it stops looking like one, the remaining
    // entries stay 0; only the header test after the XOR can tell.
    explicit ObfuscationKey(const FontNameParts &name);

    // Entry i of the key, i < kLength.
    uint8_t operator[](size_t i) const { return static_cast<uint8_t>(entries_[i]); }
    const std::string &stem() const { return stem_; }

private:
    std::array<uint32_t, kLength> entries_{};
    std::string stem_;
};

} // namespace fixrd
