#include "support/memory/LargeBuffer.h"

#include <gtest/gtest.h>

namespace vt::memory {
namespace {

// On either side of the size where the room is mapped on its own, and at
// and past a whole huge page: every byte can be written and keeps its value.
TEST(LargeBuffer, EveryByteOfTheRoomHoldsWhatIsWritten) {
    const size_t huge = size_t{2} << 20;
    for (size_t size : {size_t{1}, LargeBuffer::kMappedFrom - 1, LargeBuffer::kMappedFrom, huge, huge + 1, 3 * huge - 7}) {
        LargeBuffer buffer(size);
        unsigned char *data = buffer.data();
        for (size_t at = 0; at < size; at += 4093)
            data[at] = static_cast<unsigned char>(at * 7);
        data[size - 1] = 0xA5;
        bool kept = data[size - 1] == 0xA5;
        for (size_t at = 0; at + 1 < size; at += 4093)
            kept = kept && data[at] == static_cast<unsigned char>(at * 7);
        EXPECT_TRUE(kept) << size;
    }
}

} // namespace
} // namespace vt::memory
