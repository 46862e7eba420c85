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

    // Extracts into a fresh slot; the status and what the slot's object holds.
    std::pair<int32_t, std::string> extract(const char *first, const char *second = nullptr, const char *third = nullptr) {
        if (slot != nullptr)
            slot->release(slot);
        slot = nullptr;
        int32_t status = extractPart(context.get(), first, second, third, &slot);
        return {status, slot != nullptr ? readFile(slot->fileName) : "<no object>"};
    }
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
    container.install(context.get());
    EXPECT_EQ(extract("A.xml", "B.xml"), std::make_pair(0, std::string("second")));
    EXPECT_EQ(container.infoCalls, 4);   // every entry's info once per container, and the match's again
    EXPECT_EQ(extract("a.xml"), std::make_pair(0, std::string("lower")));
    EXPECT_EQ(container.infoCalls, 5);
}

TEST_F(PartExtraction, DirectEntriesAndPieces) {
    const struct {
        std::vector<FakeEntry> entries;
        std::vector<const char *> names;
        int32_t status;
        std::string content;
        int32_t containerStatus = 0;
    } cases[] = {
        {{{"x", "1"}, {"Part/[1].piece", "orphan"}}, {"Part", nullptr, "y"}, 0, "<no object>"},
        {{{"x", "1"}, {"Empty.xml", ""}}, {"Empty.xml"}, 6, "<no object>"},
        // A failing entry info before any match ends the scan.
        {{{"x", "1"}, {"broken", "", 103}, {"P/[0].piece", "ab"}}, {"P"}, 103, "<no object>"},
        // The object stays for the caller to release.
        {{{"P/[0].piece", "piece"}, {"P", "whole"}}, {"P"}, 101, "whole", 101},
        {{{"x", "1"}, {"P/[1].piece", "one-"}, {"P/[3].piece", "three"}, {"P/[0].piece", "zero-"}}, {"P"}, 0, "zero-one-"},
        {{{"P/[2].last.piece", "end"}, {"P/[0].piece", "a"}, {"P/[1].piece", "b"}, {"P/[3].piece", "never"}}, {"P"}, 0, "abend"},
        {{{"Q/[0].last.piece", "only"}}, {"Q"}, 0, "only"},
        {{{"R/[0].piece", ""}, {"R/[1].piece", "r"}}, {"R"}, 0, "r"},
        {{{"x", "1"}, {"Second/[0].piece", "2nd"}}, {"First", "Second"}, 0, "2nd"},
    };
    for (const auto &c : cases) {
        container.entries = c.entries;
        container.extractStatus = c.containerStatus;
        container.install(context.get());
        std::vector<const char *> names = c.names;
        names.resize(3, nullptr);
        EXPECT_EQ(extract(names[0], names[1], names[2]), std::make_pair(c.status, c.content)) << c.entries.back().name;
    }
}

TEST_F(PartExtraction, HostRefusalsGiveTheirOwnStatuses) {
    container.entries = {{"D", "direct"}, {"P/[0].piece", "piece"}};
    container.install(context.get());
    host.files().refuseTemporaryFiles(true);
    EXPECT_EQ(extract("D").first, 6);
    EXPECT_EQ(extract("P").first, 15);
    host.files().refuseTemporaryFiles(false);
    host.memory().refuseSize(5);   // the piece buffer
    EXPECT_EQ(extract("P").first, 2);
    host.memory().refuseSize(-1);
    container.readStatus = 102;
    EXPECT_EQ(extract("P"), std::make_pair(102, std::string("<no object>")));
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
    using Split = std::pair<std::string, std::string>;
    EXPECT_EQ(splitExtension("a.b.odttf"), Split("a.b", ".odttf"));
    EXPECT_EQ(splitExtension(".odttf"), Split(".odttf", ""));
    EXPECT_EQ(splitExtension("name."), Split("name", "."));
}

} // namespace
} // namespace fixrd::test
