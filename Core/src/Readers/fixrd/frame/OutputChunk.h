// One entry of the output chunk list.
#pragma once

#include <cstdint>

namespace fixrd {

constexpr int32_t kChunkBufferSize = 6048;
constexpr int32_t kChunkThreshold = 4000;   // a chunk is full once written to here
constexpr int32_t kChunkGrowStep = 10;      // entries added to the array at a time

struct OutputChunk {
    uint8_t *write;       // where the next record goes
    uint8_t *start;       // host memory, or null once handed out
    uint8_t *threshold;   // start + kChunkThreshold
};

} // namespace fixrd
