#include "support/TestHost.h"

#include "frame/OutputChunks.h"
#include "text/OutputRecords.h"

#include <string>
#include <vector>

namespace fixrd::test {
namespace {

using OutputRecords = HostTest;

std::vector<uint8_t> bytesOf(DocContext *context) {
    OutputChunk &chunk = context->chunks[context->currentChunk];
    return {chunk.start, chunk.write};
}

TEST_F(OutputRecords, ByteExactTextLineBreakAndSpace) {
    ContextPtr context = newContext();
    ASSERT_EQ(initOutputChunks(context.get()), 0);
    ASSERT_EQ(writeTextRecord(context.get(), "\xC3\xA9", 2), 0);
    ASSERT_EQ(writeLineBreakRecord(context.get()), 0);
    ASSERT_EQ(writeSpaceRecord(context.get()), 0);
    std::vector<uint8_t> expected = {0x00, 0x0B, 0, 0, 0, 0x02, 0, 0, 0, 0xC3, 0xA9,   // é
                                     0x0E, 0x05, 0, 0, 0,                               // line break
                                     0x00, 0x0A, 0, 0, 0, 0x01, 0, 0, 0, 0x20};         // space
    EXPECT_EQ(bytesOf(context.get()), expected);
}

TEST_F(OutputRecords, LongestTextRecordIs1032Bytes) {
    ContextPtr context = newContext();
    ASSERT_EQ(initOutputChunks(context.get()), 0);
    std::string text(1023, 'a');
    text[1022] = 'Z';
    ASSERT_EQ(writeTextRecord(context.get(), text.data(), text.size()), 0);
    std::vector<uint8_t> bytes = bytesOf(context.get());
    ASSERT_EQ(bytes.size(), 1032u);
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ((std::vector<uint8_t>{bytes[1], bytes[2], bytes[3], bytes[4]}), (std::vector<uint8_t>{0x08, 0x04, 0, 0}));
    EXPECT_EQ((std::vector<uint8_t>{bytes[5], bytes[6], bytes[7], bytes[8]}), (std::vector<uint8_t>{0xFF, 0x03, 0, 0}));
    EXPECT_EQ(bytes[9], 'a');
    EXPECT_EQ(bytes[1031], 'Z');
}

} // namespace
} // namespace fixrd::test
