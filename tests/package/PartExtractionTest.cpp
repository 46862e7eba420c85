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
