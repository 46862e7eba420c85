// What document cases cannot show: hosts that fail or throw, and the
// document's character set read from a declaration.
#include "support/Packages.h"
#include "support/TestHost.h"

#include "frame/DocumentCharset.h"
#include "frame/ReaderEntry.h"
#include "support/except/VantrelError.h"

#include <vector>

namespace fixrd::test {
namespace {

class Documents : public HostTest {
protected:
    ContextPtr context = newContext();

    uint32_t open(const PackageBuilder &package) {
        TempFile file(package.bytes());
        IOObj *input = host.openInput(file.path());
        uint32_t status = xpsInitDoc(context.get(), nullptr, nullptr, input);
        input->release(input);
        return status;
    }
    void TearDown() override {
        context.reset();
        HostTest::TearDown();
    }
};

using DocumentOpen = Documents;

int loads = 0, frees = 0;

TEST_F(DocumentOpen, UnloadableContainerCompanionReleasesTheXmlOneAgain) {
    loads = frees = 0;
    static int (*realLoad)(HostServices *, const char *, void **) = host.services()->loadLibrary;
    static void (*realFree)(HostServices *, void *) = host.services()->freeLibrary;
    host.services()->loadLibrary = [](HostServices *h, const char *name, void **handle) {
        int loaded = realLoad(h, name, handle);
        return loads += loaded != 0, loaded;
    };
    host.services()->freeLibrary = [](HostServices *h, void *handle) { ++frees, realFree(h, handle); };
    host.libraries().refuse("pkgrd.dll");
    EXPECT_EQ(open(PackageBuilder::document({markup::page("")})), 1u);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(frees, 1);
    EXPECT_EQ(context->xmlLibrary, nullptr);
}

TEST_F(DocumentOpen, ExceptionsBecomeStatuses) {
    host.services()->loadLibrary = [](HostServices *, const char *, void **) -> int {
        throw vt::except::create_tempfile_error();
    };
    EXPECT_EQ(open(PackageBuilder::document({markup::page("")})), 15u);
    host.services()->loadLibrary = [](HostServices *, const char *, void **) -> int {
        throw std::logic_error("host fault");
    };
    context = newContext();
    EXPECT_EQ(open(PackageBuilder::document({markup::page("")})), 6u);
}

using DocumentCharset = Documents;

TEST_F(DocumentCharset, DeclarationsAndTheirTraps) {
    const std::pair<std::string, uint32_t> cases[] = {
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?>", 53},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>", 53},
        {"<?xml version='1.0' encoding='ISO-8859-15'?>", 24},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-10\"?>", 81},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", 14},
        {"<?xml version=\"1.0\" encoding=\"KS_C_5601-1987\"?>", 4},
        {"<?XML version=\"1.0\" encoding=\"windows-1251\"?>", 6},
        {"<?xml version=\"1.0\" encoding = \"UTF-8\"?>", 7},   // blanks around '='
        {"<?xml version=\"1.0\"?>", 7},
        {"<?xml version=\"1.0\" encoding=\"KOI8-R\"?>", 7},
        {"<?xml version=\"1.0\" encoding=\"UT\"?>", 7},   // shorter than any name
        {"", 7},
        {std::string(1000, ' ') + "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 7},
        // A processing instruction and a comment before the declaration are stepped over.
        {"<?pi data?><!-- c --><?xml version=\"1.0\" encoding=\"Shift_JIS\"?>", 1},
        // The declaration is cut at 255 bytes: an encoding beyond that is not seen.
        {"<?xml version=\"1.0\"" + std::string(260, ' ') + "encoding=\"UTF-8\"?>", 7},
    };
    for (const auto &[start, number] : cases) {
        context = newContext();
        context->contentTypesIO = objectHolding(host, start + "<Types/>");
        EXPECT_EQ(getDocumentCharset(context.get(), nullptr), number) << start;
        EXPECT_EQ(getDocumentCharset(context.get(), nullptr), number) << "kept for later calls";
    }
}

TEST_F(DocumentCharset, AskedThroughTheTableBeforeOpenStaysDefault) {
    ReaderInterface table{};
    xpsGetReaderInterface(&table);
    EXPECT_EQ(table.getDocumentCharset(context.get(), nullptr), 7u);
    ASSERT_EQ(open(PackageBuilder::document({markup::page("")})), 0u);
    EXPECT_EQ(table.getDocumentCharset(context.get(), nullptr), 7u);
}

} // namespace
} // namespace fixrd::test
