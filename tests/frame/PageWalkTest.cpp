#include "support/PackageBuilder.h"
#include "support/PageHarness.h"
#include "support/TestHost.h"

#include "RecordStream.h"
#include "frame/ReaderEntry.h"

namespace fixrd::test {
namespace {

// Whole documents through xpsInitDoc and xpsFillBuffer.
class PageWalk : public HostTest {
protected:
    ContextPtr context = newContext();
    std::vector<uint32_t> completions;

    void open(const PackageBuilder &package) {
        TempFile file(package.bytes());
        IOObj *input = host.openInput(file.path());
        ASSERT_EQ(xpsInitDoc(context.get(), nullptr, nullptr, input), 0u);
        input->release(input);
    }
    // Pulls chunks until completion 100; the status of the first failure.
    uint32_t pull(std::string &records) {
        char buffer[5031];
        for (;;) {
            uint32_t count = 12345, completion = 12345;
            uint32_t status = xpsFillBuffer(context.get(), buffer, &count, &completion);
            if (status != 0) {
                EXPECT_EQ(count, 12345u) << "out-parameters untouched on failure";
                EXPECT_EQ(completion, 12345u);
                return status;
            }
            records.append(buffer, count);
            completions.push_back(completion);
            if (completion == 100)
                return 0;
        }
    }
    std::string text(const std::string &records) {
        std::string plain;
        EXPECT_TRUE(host::appendPlainText(records, plain));
        return plain;
    }
    void TearDown() override {
        context.reset();
        HostTest::TearDown();
    }
};

std::string line(double y, const std::string &words) { return glyphs(96, y, words); }

TEST_F(PageWalk, PagesInOrderThroughTheFirstDocumentsFolder) {
    open(PackageBuilder::document({markup::page(line(100, "one") + line(120, "two")), markup::page(line(100, "three"))}));
    std::string records;
    ASSERT_EQ(pull(records), 0u);
    EXPECT_EQ(text(records), "one\ntwo\nthree");   // a new page is a new baseline
    EXPECT_EQ(completions, (std::vector<uint32_t>{100}));
    char buffer[16];
    uint32_t count = 1, completion = 0;
    EXPECT_EQ(xpsFillBuffer(context.get(), buffer, &count, &completion), 0u);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(completion, 100u);
}

TEST_F(PageWalk, ManyChunksOneCallEach) {
    std::string body;
    for (int i = 0; i < 400; ++i)
        body += line(100 + i, "a line of text that fills the output chunks quickly");
    open(PackageBuilder::document({markup::page(body)}));
    std::string records;
    ASSERT_EQ(pull(records), 0u);
    ASSERT_GT(completions.size(), 3u);
    for (size_t i = 0; i + 1 < completions.size(); ++i)
        EXPECT_EQ(completions[i], 50u);
    EXPECT_EQ(completions.back(), 100u);
    EXPECT_EQ(text(records).size(), 400 * 51 + 399);
}

TEST_F(PageWalk, NoPagesGiveAnEmptyLastChunk) {
    PackageBuilder package;
    package.add("[Content_Types].xml", markup::contentTypes());
    package.add("FixedDocumentSequence.fdseq", markup::sequence({"/Doc.fdoc"}));
    package.add("Doc.fdoc", markup::document({}));
    open(package);
    std::string records;
    ASSERT_EQ(pull(records), 0u);
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(completions, (std::vector<uint32_t>{100}));
}

TEST_F(PageWalk, FailedPageStopsTheWalkAndIsReportedAgainWithoutWalking) {
    PackageBuilder package = PackageBuilder::document(
        {markup::page(line(100, "kept")), markup::page("<x:Foreign xmlns:x=\"urn:vendor\"/>"), markup::page(line(100, "after"))});
    open(package);
    std::string records;
    EXPECT_EQ(pull(records), 6u);
    EXPECT_TRUE(records.empty());
    int64_t chunkBytes = context->chunks[0].write - context->chunks[0].start;
    EXPECT_EQ(chunkBytes, 13);   // "kept" only; the third page was never read
    EXPECT_EQ(pull(records), 6u);
    EXPECT_EQ(context->chunks[0].write - context->chunks[0].start, chunkBytes);
}

TEST_F(PageWalk, MissingPageEndsTheWalkWithSix) {
    PackageBuilder package;
    package.add("[Content_Types].xml", markup::contentTypes());
    package.add("FixedDocumentSequence.fdseq", markup::sequence({"/Documents/2/Doc.fdoc"}));
    package.add("Documents/2/Doc.fdoc", markup::document({"Pages/1.fpage"}));
    package.add("Documents/2/Pages/1.fpage", markup::page(line(1, "unreachable")));
    open(package);
    std::string records;
    EXPECT_EQ(pull(records), 6u);
}

TEST_F(PageWalk, ChunkListThatCannotGrowStopsTheWalkWithTwo) {
    std::string body;
    for (int i = 0; i < 200; ++i)
        body += line(100 + i, "enough text to need a second output chunk");
    open(PackageBuilder::document({markup::page(body)}));
    host.memory().refuseSize(6048);
    std::string records;
    EXPECT_EQ(pull(records), 2u);
    EXPECT_EQ(context->currentChunk, 0);
    EXPECT_LE(context->chunks[0].write - context->chunks[0].start, 5031);
    host.memory().refuseSize(-1);
    EXPECT_EQ(pull(records), 2u);   // reported again, not walked again
}

TEST_F(PageWalk, TransformsOfABrokenPageDoNotReachTheNext) {
    std::string broken = markup::page("<Canvas RenderTransform=\"1,0,0,1,0,500\">" + line(100, "first")).substr(0, 400);
    broken = broken.substr(0, broken.find("</Canvas>"));
    open(PackageBuilder::document({broken, markup::page(line(100, "second"))}));
    std::string records;
    ASSERT_EQ(pull(records), 0u);
    EXPECT_EQ(text(records), "first\nsecond");
    EXPECT_EQ(context->run.origin, (Point{96, 100}));
}

} // namespace
} // namespace fixrd::test
