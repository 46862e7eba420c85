// One iconv conversion from an encoding to UCS-4BE, used to decode one
// character at a time.  Each owner has its own: an iconv_t carries
// conversion state and must never be shared between parsers or threads.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <cstdint>

namespace mkparse {

class CharacterDecoder {
public:
    enum class Outcome {
        Character,   // the bytes are exactly one character
        Incomplete,  // the bytes begin a character but end too soon
        Invalid,     // the bytes are not one character
    };
    struct Result {
        Outcome outcome;
        uint32_t scalar;  // with Character only
    };

    // Check valid(): iconv may not know the encoding.
    explicit CharacterDecoder(const char *converterName);
    ~CharacterDecoder();
    CharacterDecoder(const CharacterDecoder &) = delete;
    CharacterDecoder &operator=(const CharacterDecoder &) = delete;

    bool valid() const { return converter_ != invalidConverter(); }

    // Decodes `length` bytes that must make one character, from the initial
    // conversion state whatever came before.
    Result decodeOne(const unsigned char *bytes, size_t length);

private:
    static iconv_t invalidConverter() { return reinterpret_cast<iconv_t>(-1); }

    iconv_t converter_;
};

} // namespace mkparse
