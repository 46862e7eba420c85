#include "ByteMap.h"

#include <cstring>

namespace mkparse {

namespace {

// The ASCII characters Expat lets an encoding put elsewhere: none of them
// is markup.
bool mayMoveFromAscii(int byte) { return byte != 0 && std::strchr("$@\\^`{}~", byte) != nullptr; }

} // namespace

bool buildByteMap(CharacterDecoder &decoder, SequenceRule rule, ByteMap &map) {
    for (int byte = 0; byte < 256; ++byte) {
        unsigned char single = static_cast<unsigned char>(byte);
        CharacterDecoder::Result result = decoder.decodeOne(&single, 1);
        switch (result.outcome) {
        case CharacterDecoder::Outcome::Character:
            if (result.scalar > 0xFFFF)
                return false;
            map[byte] = static_cast<int>(result.scalar);
            break;
        case CharacterDecoder::Outcome::Incomplete: {
            int length = sequenceLength(rule, single);
            map[byte] = length >= 2 ? -length : -1;
            break;
        }
        case CharacterDecoder::Outcome::Invalid:
            map[byte] = -1;
            break;
        }
        if (byte < 0x80 && map[byte] != byte && !mayMoveFromAscii(byte))
            return false;
    }
    return true;
}

} // namespace mkparse
