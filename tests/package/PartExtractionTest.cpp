#include "support/FakeContainer.h"
#include "support/TestHost.h"

#include "package/PartExtraction.h"
#include "package/PartNames.h"

namespace fixrd::test {
namespace {

class PartExtraction : public HostTest {
protected:
    ContextPtr context = newContext();
    FakeContainer container;
    IOObj *slot = nullptr;

    int32_t extract(const char *first, const char *second = nullptr, const char *third = nullptr) {
        container.install(context.get());
        return extractPart(context.get(), first, second, third, &slot);
    }
    std::string extracted() { return slot != nullptr ? readFile(slot->fileName) : "<no object>"; }
    void TearDown() override {
        if (slot != nullptr)
            slot->release(slot);
        context->containerHandle = nullptr;   // the fake is not closed through the table
        context.reset();
        HostTest::TearDown();
    }
};

TEST_F(PartExtraction, FirstEntryInContainerOrderWinsAndLetterCaseCounts) {
    container.entries = {{"a.xml", "lower"}, {"B.xml", "second"}, {"A.xml", "upper"}};
    ASSERT_EQ(extract("A.xml", "B.xml"), 0);
    EXPECT_EQ(extracted(), "second");
    // Every entry's info is read once per container, and the match's again.
    EXPECT_EQ(container.infoCalls, 4);
    slot->release(slot);
    slot = nullptr;
    ASSERT_EQ(extractPart(context.get(), "a.xml", nullptr, nullptr, &slot), 0);
    EXPECT_EQ(extracted(), "lower");
    EXPECT_EQ(container.infoCalls, 5);
}

TEST_F(PartExtraction, NoMatchLeavesTheSlotEmpty) {
    container.entries = {{"x", "1"}, {"Part/[1].piece", "orphan"}};
    EXPECT_EQ(extract("Part", nullptr, "y"), 0);
    EXPECT_EQ(slot, nullptr);
}

TEST_F(PartExtraction, EmptyDirectEntryIsAnErrorAndMakesNoObject) {
    container.entries = {{"x", "1"}, {"Empty.xml", ""}};
    EXPECT_EQ(extract("Empty.xml"), 6);
    EXPECT_EQ(slot, nullptr);
}

TEST_F(PartExtraction, FailingInfoEndsADirectScanButIsSkippedAmongPieces) {
    container.entries = {{"x", "1"}, {"broken", "", 103}, {"P/[0].piece", "ab"}};
    EXPECT_EQ(extract("P"), 103);
    EXPECT_EQ(slot, nullptr);
}

TEST_F(PartExtraction, DirectEntryBeatsPiecesAndContainerStatusPassesThrough) {
    container.entries = {{"P/[0].piece", "piece"}, {"P", "whole"}};
    container.extractStatus = 101;
    EXPECT_EQ(extract("P"), 101);
    EXPECT_EQ(extracted(), "whole");   // the object stays for the caller to release
}

TEST_F(PartExtraction, PiecesJoinInNumberOrderUpToTheFirstGap) {
    container.entries = {{"x", "1"}, {"P/[1].piece", "one-"}, {"P/[3].piece", "three"}, {"P/[0].piece", "zero-"}};
    ASSERT_EQ(extract("P"), 0);
    EXPECT_EQ(extracted(), "zero-one-");
}

TEST_F(PartExtraction, FinalPieceWithItsOwnSuffixIsTakenAndEndsThePart) {
    container.entries = {{"P/[2].last.piece", "end"}, {"P/[0].piece", "a"}, {"P/[1].piece", "b"},
                         {"P/[3].piece", "never"}};
    ASSERT_EQ(extract("P"), 0);
    EXPECT_EQ(extracted(), "abend");
}

TEST_F(PartExtraction, SoleLastPieceAndZeroSizePieces) {
    container.entries = {{"Q/[0].last.piece", "only"}, {"R/[0].piece", ""}, {"R/[1].piece", "r"}};
    ASSERT_EQ(extract("Q"), 0);
    EXPECT_EQ(extracted(), "only");
    slot->release(slot);
    slot = nullptr;
    ASSERT_EQ(extract("R"), 0);
    EXPECT_EQ(extracted(), "r");
}

TEST_F(PartExtraction, PiecesOfTheSecondNameWhenTheFirstHasNone) {
    container.entries = {{"x", "1"}, {"Second/[0].piece", "2nd"}};
    ASSERT_EQ(extract("First", "Second"), 0);
    EXPECT_EQ(extracted(), "2nd");
}

TEST_F(PartExtraction, HostRefusalsGiveTheirOwnStatuses) {
    container.entries = {{"D", "direct"}, {"P/[0].piece", "piece"}};
    host.files().refuseTemporaryFiles(true);
    EXPECT_EQ(extract("D"), 6);
    EXPECT_EQ(extract("P"), 15);
    host.files().refuseTemporaryFiles(false);
    host.memory().refuseSize(5);   // the piece buffer
    EXPECT_EQ(extract("P"), 2);
    host.memory().refuseSize(-1);
    container.readStatus = 102;
    EXPECT_EQ(extract("P"), 102);
    EXPECT_EQ(slot, nullptr);
}

TEST(PartNames, ReferencesResolveAgainstTheirPart) {
    const std::string page = "Documents/1/Pages/1.fpage";
    EXPECT_EQ(resolveReference(page, "../Resources/F.odttf"), "Documents/1/Resources/F.odttf");
    EXPECT_EQ(resolveReference(page, "./F.ttf"), "Documents/1/Pages/F.ttf");
    EXPECT_EQ(resolveReference(page, "../../../../../F.ttf"), "F.ttf");
    EXPECT_EQ(resolveReference(page, "/Abs//F.ttf"), "Abs/F.ttf");
    EXPECT_EQ(resolveReference("Top.fpage", "F.ttf"), "F.ttf");
    EXPECT_EQ(lastPathComponent("Resources\\Fonts\\A.odttf"), "A.odttf");
    EXPECT_EQ(lastPathComponent("Fonts/"), "");
    EXPECT_EQ(splitExtension("a.b.odttf"), (std::pair<std::string, std::string>{"a.b", ".odttf"}));
    EXPECT_EQ(splitExtension(".odttf"), (std::pair<std::string, std::string>{".odttf", ""}));
    EXPECT_EQ(splitExtension("name."), (std::pair<std::string, std::string>{"name", "."}));
}

} // namespace
} // namespace fixrd::test
