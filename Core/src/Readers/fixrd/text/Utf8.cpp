#include "text/Utf8.h"

#include <stdexcept>

namespace fixrd {

size_t utf8CharLength(unsigned char first) {
    if (first < 0x80)
        return 1;
    if ((first & 0x20) == 0)
        return 2;
    if ((first & 0x10) == 0)
        return 3;
    if ((first & 0x08) == 0)
        return 4;
    throw std::runtime_error("Invalid UTF-8 character detected");
}

} // namespace fixrd
