// The encodings the companion decodes, by the names XML declarations give
// them.  Only names listed here ever reach iconv: iconv also knows encodings
// that Expat's byte-map model cannot carry (GB18030, UTF-7, ISO-2022-*).
#pragma once

#include <optional>

namespace mkparse {

// How the bytes of an encoding group into characters.
enum class SequenceRule {
    SingleByte,  // every byte is one character
    DoubleByte,  // a lead byte starts a two-byte sequence
    EucJp,       // as DoubleByte, but SS3 (0x8F) starts a three-byte sequence
};

struct Encoding {
    char converterName[16];  // iconv's name for it
    SequenceRule rule;
};

// The encoding a declaration names (compared case-insensitively), or nothing
// when it is not one we decode.
std::optional<Encoding> findEncoding(const char *declaredName);

// The length of the sequence that `lead` starts when iconv reports it
// incomplete on its own; 1 when the rule has no sequence starting there.
int sequenceLength(SequenceRule rule, unsigned char lead);

} // namespace mkparse
