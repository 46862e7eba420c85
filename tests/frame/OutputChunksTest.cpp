#include "support/TestHost.h"

#include "frame/OutputChunks.h"
#include "frame/ResultHandout.h"
#include "text/OutputRecords.h"

#include <string>
#include <vector>

namespace fixrd::test {
namespace {

class OutputChunks : public HostTest {
protected:
    ContextPtr context = newContext();
    const std::string text = std::string(1023, 'x');

    void SetUp() override { ASSERT_EQ(initOutputChunks(context.get()), 0); }
    void TearDown() override {
        context.reset();
        HostTest::TearDown();
    }
    int64_t written(int32_t chunk = -1) {
        const OutputChunk &c = context->chunks[chunk < 0 ? context->currentChunk : chunk];
        return c.write - c.start;
    }
    int32_t write(size_t length = 1023) { return writeTextRecord(context.get(), text.data(), length); }
    // Fills the current chunk with text records up to `offset`.
    void fillTo(int64_t offset) {
        while (written() + 9 + 1023 <= offset)
            ASSERT_EQ(write(), 0);
        ASSERT_EQ(offset > written() ? write(static_cast<size_t>(offset - written() - 9)) : 0, 0);
        ASSERT_EQ(written(), offset);
    }
};

TEST_F(OutputChunks, RecordStartingAt3999StaysWholeAndAChunkAt4000IsFull) {
    fillTo(3999);
    ASSERT_EQ(write(), 0);   // the longest record, starting below the threshold
    EXPECT_EQ(context->currentChunk, 0);
    EXPECT_EQ(written(), 3999 + 1032);   // the most a chunk ever holds
    ASSERT_EQ(writeLineBreakRecord(context.get()), 0);
    EXPECT_EQ(context->currentChunk, 1);
    EXPECT_EQ(written(), 5);

    fillTo(4000);
    EXPECT_EQ(context->currentChunk, 1);
    ASSERT_EQ(writeSpaceRecord(context.get()), 0);
    EXPECT_EQ(context->currentChunk, 2);
}

TEST_F(OutputChunks, ArrayGrowsByTenAtTheEleventhAndTwentyFirstChunk) {
    std::vector<int32_t> capacities;   // at chunks 9, 10, 19 and 20
    for (int32_t chunk : {9, 10, 19, 20}) {
        while (context->currentChunk < chunk)
            ASSERT_EQ(write(), 0);
        capacities.push_back(context->chunkCapacity);
    }
    EXPECT_EQ(capacities, (std::vector<int32_t>{10, 20, 20, 30}));
    for (int32_t i = 0; i <= 20; ++i)
        EXPECT_LE(written(i), 5031);
}

TEST_F(OutputChunks, RefusedGrowthWritesNothingAndKeepsTheList) {
    fillTo(4000);
    host.memory().refuseSize(kChunkBufferSize);
    EXPECT_EQ(write(1), 2);
    EXPECT_EQ(writeLineBreakRecord(context.get()), 2);
    EXPECT_EQ(context->currentChunk, 0);
    EXPECT_EQ(written(), 4000);
    host.memory().refuseSize(-1);

    // The array itself refused at the eleventh chunk.
    while (context->currentChunk < 9)
        ASSERT_EQ(write(), 0);
    fillTo(4000);
    host.memory().refuseRequest(1);
    EXPECT_EQ(writeSpaceRecord(context.get()), 2);
    EXPECT_EQ(context->chunkCapacity, 10);
    EXPECT_EQ(context->currentChunk, 9);
    EXPECT_EQ(writeSpaceRecord(context.get()), 0);   // the next request succeeds
    EXPECT_EQ(context->currentChunk, 10);

    ContextPtr second = newContext();
    host.memory().refuseSize(kChunkBufferSize);
    EXPECT_EQ(initOutputChunks(second.get()), 2);   // freeing it still balances
    host.memory().refuseSize(-1);
}

TEST_F(OutputChunks, HandOutGivesOneChunkPerCallThenEmptyHundredForever) {
    while (context->currentChunk < 2)
        ASSERT_EQ(write(), 0);
    ASSERT_EQ(writeLineBreakRecord(context.get()), 0);
    std::vector<int64_t> sizes = {written(0), written(1), written(2), 0, 0};
    std::string all;
    for (int32_t i = 0; i <= 2; ++i)
        all.append(reinterpret_cast<const char *>(context->chunks[i].start), static_cast<size_t>(written(i)));
    context->pageWalkDone = 1;

    std::string handedOut;
    std::vector<int64_t> counts;
    std::vector<uint32_t> completions;
    for (int call = 0; call < 5; ++call) {
        char buffer[5031];
        uint32_t count = 77, completion = 0;
        ASSERT_EQ(fillBuffer(context.get(), buffer, &count, &completion), 0u);
        handedOut.append(buffer, count);
        counts.push_back(count);
        completions.push_back(completion);
    }
    EXPECT_EQ(counts, sizes);
    EXPECT_EQ(completions, (std::vector<uint32_t>{50, 50, 100, 100, 100}));
    EXPECT_TRUE(handedOut == all);
    EXPECT_EQ(host.memory().blocksOutstanding(), 2);   // the array and the working block
}

} // namespace
} // namespace fixrd::test
