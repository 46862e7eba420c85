#include "CharacterDecoder.h"

#include <cerrno>

namespace mkparse {

CharacterDecoder::CharacterDecoder(const char *converterName)
    : converter_(iconv_open("UCS-4BE", converterName)) {}

CharacterDecoder::~CharacterDecoder() {
    if (valid())
        iconv_close(converter_);
}

CharacterDecoder::Result CharacterDecoder::decodeOne(const unsigned char *bytes, size_t length) {
    const Result invalid{Outcome::Invalid, 0};
    if (!valid())
        return invalid;
    iconv(converter_, nullptr, nullptr, nullptr, nullptr);

    // Room for two characters, so that bytes that decode to more than one
    // are seen as such rather than as an overflow.
    unsigned char output[8];
    char *in = const_cast<char *>(reinterpret_cast<const char *>(bytes));
    size_t inLeft = length;
    char *out = reinterpret_cast<char *>(output);
    size_t outLeft = sizeof output;
    if (iconv(converter_, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
        bool incomplete = errno == EINVAL && outLeft == sizeof output;
        iconv(converter_, nullptr, nullptr, nullptr, nullptr);
        return incomplete ? Result{Outcome::Incomplete, 0} : invalid;
    }
    // Converters that compose (windows-1255, windows-1258) hold a base
    // letter back until they see what follows; flushing releases it.
    if (iconv(converter_, nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1))
        return invalid;
    if (inLeft != 0 || sizeof output - outLeft != 4)
        return invalid;
    uint32_t scalar = (uint32_t{output[0]} << 24) | (uint32_t{output[1]} << 16) |
                      (uint32_t{output[2]} << 8) | uint32_t{output[3]};
    return Result{Outcome::Character, scalar};
}

} // namespace mkparse
