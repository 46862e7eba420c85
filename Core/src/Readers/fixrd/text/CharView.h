// One character of a UnicodeString: its first byte and its length in bytes.
#pragma once

#include <cstdint>

namespace fixrd {

struct CharView {
    const char *bytes;
    uint64_t length;   // 1 to 4
};

} // namespace fixrd
