#include "UnknownEncodingHandler.h"

#include "ByteMap.h"
#include "CharacterDecoder.h"
#include "EncodingCatalog.h"

#include <cstring>
#include <memory>
#include <new>

namespace mkparse {

namespace {

// What one parser needs to decode the sequences of its document.
struct SequenceDecoder {
    explicit SequenceDecoder(const char *converterName) : decoder(converterName) {}

    CharacterDecoder decoder;
    unsigned char length[256] = {};  // sequence length by lead byte; 0 for no lead
};

int XMLCALL convertSequence(void *data, const char *sequence) {
    auto *state = static_cast<SequenceDecoder *>(data);
    const auto *bytes = reinterpret_cast<const unsigned char *>(sequence);
    size_t length = state->length[bytes[0]];
    if (length < 2)
        return -1;
    CharacterDecoder::Result result = state->decoder.decodeOne(bytes, length);
    if (result.outcome != CharacterDecoder::Outcome::Character)
        return -1;
    // A sequence may neither stand in for an ASCII character (each character
    // has one spelling) nor leave the Basic Multilingual Plane.
    if (result.scalar < 0x80 || result.scalar > 0xFFFF)
        return -1;
    return static_cast<int>(result.scalar);
}

void XMLCALL releaseSequenceDecoder(void *data) { delete static_cast<SequenceDecoder *>(data); }

bool describe(const Encoding &encoding, XML_Encoding *info) {
    if (encoding.rule == SequenceRule::SingleByte) {
        CharacterDecoder decoder(encoding.converterName);
        return decoder.valid() && buildByteMap(decoder, encoding.rule, info->map);
    }
    std::unique_ptr<SequenceDecoder> state(new (std::nothrow) SequenceDecoder(encoding.converterName));
    if (!state || !state->decoder.valid() || !buildByteMap(state->decoder, encoding.rule, info->map))
        return false;
    for (int byte = 0; byte < 256; ++byte) {
        if (info->map[byte] <= -2)
            state->length[byte] = static_cast<unsigned char>(-info->map[byte]);
    }
    info->data = state.release();
    info->convert = convertSequence;
    info->release = releaseSequenceDecoder;
    return true;
}

} // namespace

int XMLCALL handleUnknownEncoding(void *, const XML_Char *name, XML_Encoding *info) {
    if (info == nullptr)
        return 0;
    // Expat calls release after a refusal too, so a refusal leaves nothing.
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    try {
        std::optional<Encoding> encoding = findEncoding(name);
        if (encoding && describe(*encoding, info))
            return 1;
    } catch (...) {
        // Nothing may cross into Expat; a refusal is the only answer left.
    }
    return 0;
}

bool isEncodingSupported(const char *name) {
    try {
        std::optional<Encoding> encoding = findEncoding(name);
        if (!encoding)
            return false;
        CharacterDecoder decoder(encoding->converterName);
        ByteMap map;
        return decoder.valid() && buildByteMap(decoder, encoding->rule, map);
    } catch (...) {
        return false;
    }
}

} // namespace mkparse
