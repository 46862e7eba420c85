#include "support/memory/LargeBuffer.h"

#include "support/memory/HugePages.h"

#include <gtest/gtest.h>

#include <memory>

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

// A kept room serves every part that fits and grows for one that does not;
// the bytes of the last part reach its last byte whatever room it got.
TEST(LargeBuffer, AKeptRoomIsReusedUntilAPartOutgrowsIt) {
    const size_t huge = size_t{2} << 20;
    std::unique_ptr<LargeBuffer> room;
    unsigned char *first = roomFor(room, 300 << 10);
    ASSERT_TRUE(room);
    EXPECT_GE(room->capacity(), size_t{300} << 10);
    unsigned char *smaller = roomFor(room, 100 << 10);
    if (!kUnderSanitizer)
        EXPECT_EQ(smaller, first) << "a part that fits takes the same room";
    else
        EXPECT_EQ(room->capacity(), size_t{100} << 10) << "under a sanitizer each part gets a room of its size";
    for (size_t size : {huge + 1, size_t{5}, 3 * huge}) {
        unsigned char *data = roomFor(room, size);
        EXPECT_GE(room->capacity(), size);
        data[0] = 1;
        data[size - 1] = 2;
        EXPECT_EQ(data[0] + data[size - 1], 3) << size;
    }
}

} // namespace
} // namespace vt::memory
