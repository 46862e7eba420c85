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
    ContextPtr context = nullptr;
    void SetUp() override {
        context = newContext();
        ASSERT_EQ(initOutputChunks(context.get()), 0);
    }
    void TearDown() override {
        context.reset();
        HostTest::TearDown();
    }
    OutputChunk &current() { return context->chunks[context->currentChunk]; }
    int64_t written() { return current().write - current().start; }
    // Fills the current chunk up to `offset` with filler text records.
    void fillTo(int64_t offset) {
        std::string text(1023, 'x');
        while (written() + 9 + 1023 <= offset)
            ASSERT_EQ(writeTextRecord(context.get(), text.data(), text.size()), 0);
        int64_t rest = offset - written();
        if (rest > 0) {
            ASSERT_GE(rest, 10) << "cannot reach the offset with one record";
            ASSERT_EQ(writeTextRecord(context.get(), text.data(), static_cast<size_t>(rest - 9)), 0);
        }
        ASSERT_EQ(written(), offset);
    }
};

TEST_F(OutputChunks, FreshListHasTenEntriesAndOneZeroedChunk) {
    EXPECT_EQ(context->chunkCapacity, 10);
    EXPECT_EQ(context->currentChunk, 0);
    EXPECT_EQ(context->nextChunk, 0);
    EXPECT_EQ(current().threshold - current().start, 4000);
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(context->chunks[i].start, nullptr);
}

TEST_F(OutputChunks, RecordStartingAt3999StaysWholeAndTheNextGoesToANewChunk) {
    fillTo(3999);
    std::string longest(1023, 'y');
    ASSERT_EQ(writeTextRecord(context.get(), longest.data(), longest.size()), 0);
    EXPECT_EQ(context->currentChunk, 0);
    EXPECT_EQ(written(), 3999 + 1032);   // the most a chunk ever holds
    ASSERT_EQ(writeLineBreakRecord(context.get()), 0);
    EXPECT_EQ(context->currentChunk, 1);
    EXPECT_EQ(written(), 5);
}

TEST_F(OutputChunks, ChunkAtExactlyTheThresholdIsFull) {
    fillTo(4000);
    EXPECT_EQ(context->currentChunk, 0);
    ASSERT_EQ(writeLineBreakRecord(context.get()), 0);
    EXPECT_EQ(context->currentChunk, 1);
}

TEST_F(OutputChunks, ArrayGrowsByTenAtTheEleventhAndTwentyFirstChunk) {
    std::string text(1023, 'z');
    auto writeUntilChunk = [&](int32_t index) {
        while (context->currentChunk < index)
            ASSERT_EQ(writeTextRecord(context.get(), text.data(), text.size()), 0);
    };
    writeUntilChunk(9);
    EXPECT_EQ(context->chunkCapacity, 10);
    writeUntilChunk(10);
    EXPECT_EQ(context->chunkCapacity, 20);
    for (int i = 11; i < 20; ++i)
        EXPECT_EQ(context->chunks[i].start, nullptr);
    writeUntilChunk(19);
    EXPECT_EQ(context->chunkCapacity, 20);
    writeUntilChunk(20);
    EXPECT_EQ(context->chunkCapacity, 30);
    for (int i = 0; i <= 20; ++i)
        EXPECT_LE(context->chunks[i].write - context->chunks[i].start, 5031);
}

TEST_F(OutputChunks, RefusedGrowthWritesNothingAndKeepsTheList) {
    fillTo(4000);
    uint8_t *before = current().write;
    host.memory().refuseSize(kChunkBufferSize);
    EXPECT_EQ(writeTextRecord(context.get(), "a", 1), 2);
    EXPECT_EQ(writeLineBreakRecord(context.get()), 2);
    EXPECT_EQ(context->currentChunk, 0);
    EXPECT_EQ(current().write, before);
    host.memory().refuseSize(-1);

    // The array itself refused at the eleventh chunk.
    std::string text(1023, 'q');
    while (context->currentChunk < 9)
        ASSERT_EQ(writeTextRecord(context.get(), text.data(), text.size()), 0);
    fillTo(4000);
    host.memory().refuseRequest(1);
    EXPECT_EQ(writeSpaceRecord(context.get()), 2);
    EXPECT_EQ(context->chunkCapacity, 10);
    EXPECT_EQ(context->currentChunk, 9);
    EXPECT_EQ(writeSpaceRecord(context.get()), 0);   // the next request succeeds
    EXPECT_EQ(context->currentChunk, 10);
}

TEST_F(OutputChunks, InitRefusedReportsTwoAndFreeingStillBalances) {
    ContextPtr second = newContext();
    host.memory().refuseSize(kChunkBufferSize);
    EXPECT_EQ(initOutputChunks(second.get()), 2);
    host.memory().refuseSize(-1);
}

TEST_F(OutputChunks, HandOutGivesOneChunkPerCallThenEmptyHundredForever) {
    std::string text(1023, 'h');
    while (context->currentChunk < 2)
        ASSERT_EQ(writeTextRecord(context.get(), text.data(), text.size()), 0);
    ASSERT_EQ(writeLineBreakRecord(context.get()), 0);
    std::vector<int64_t> sizes;
    for (int i = 0; i <= 2; ++i)
        sizes.push_back(context->chunks[i].write - context->chunks[i].start);
    context->pageWalkDone = 1;

    std::vector<uint8_t> buffer(5031);
    uint32_t count = 0, completion = 0;
    uint32_t expected[] = {50, 50, 100};
    for (int call = 0; call < 3; ++call) {
        ASSERT_EQ(fillBuffer(context.get(), buffer.data(), &count, &completion), 0u);
        EXPECT_EQ(count, sizes[call]);
        EXPECT_EQ(completion, expected[call]);
        EXPECT_EQ(buffer[0], 0);   // every chunk starts with a text record
    }
    EXPECT_EQ(buffer[count - 5], 14);   // the last chunk ends with the line break
    for (int call = 0; call < 2; ++call) {
        count = 77;
        ASSERT_EQ(fillBuffer(context.get(), buffer.data(), &count, &completion), 0u);
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(completion, 100u);
    }
    EXPECT_EQ(host.memory().blocksOutstanding(), 2);   // the array and the working block
}

} // namespace
} // namespace fixrd::test
