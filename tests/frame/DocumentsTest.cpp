// Whole packages through xpsInitDoc and xpsFillBuffer with the real
// companions, and the document's character set.
#include "support/PackageBuilder.h"
#include "support/PageHarness.h"
#include "support/TestHost.h"

#include "RecordStream.h"
#include "companions/pkgrd/PkgrdStatus.h"
#include "frame/DocumentCharset.h"
#include "frame/ReaderEntry.h"
#include "support/except/VantrelError.h"

#include <iconv.h>
#include <vector>

namespace fixrd::test {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// A package of these entries, in this order.
PackageBuilder zip(const Entries &entries) {
    PackageBuilder package;
    for (const auto &[name, data] : entries)
        package.add(name, data);
    return package;
}

const std::string kTypes = "[Content_Types].xml";
std::string line(double y, const std::string &words) { return glyphs(96, y, words); }

class Documents : public HostTest {
protected:
    ContextPtr context = newContext();
    std::vector<uint32_t> completions;

    uint32_t open(const std::string &bytes) {
        TempFile file(bytes);
        IOObj *input = host.openInput(file.path());
        uint32_t status = xpsInitDoc(context.get(), nullptr, nullptr, input);
        input->release(input);
        return status;
    }
    uint32_t open(const PackageBuilder &package) { return open(package.bytes()); }
    std::vector<std::string> pages() { return {context->pageNames, context->pageNames + context->pageCount}; }
    // Pulls chunks until completion 100; the status of the first failure.
    uint32_t pull(std::string &records) {
        char buffer[5031];
        for (;;) {
            uint32_t count = 12345, completion = 12345;
            uint32_t status = xpsFillBuffer(context.get(), buffer, &count, &completion);
            if (status != 0) {
                EXPECT_EQ(count + completion, 2 * 12345u) << "out-parameters untouched on failure";
                return status;
            }
            records.append(buffer, count);
            completions.push_back(completion);
            if (completion == 100)
                return 0;
        }
    }
    std::string text(const PackageBuilder &package) {
        std::string records, plain;
        EXPECT_EQ(open(package), 0u);
        EXPECT_EQ(pull(records), 0u);
        EXPECT_TRUE(host::appendPlainText(records, plain));
        return plain;
    }
    void TearDown() override {
        context.reset();
        HostTest::TearDown();
    }
};

using DocumentOpen = Documents;

TEST_F(DocumentOpen, UsualPackageOpensWithItsPageList) {
    ASSERT_EQ(open(PackageBuilder::document({markup::page(""), markup::page("")})), 0u);
    EXPECT_EQ(pages(), (std::vector<std::string>{"Pages/1.fpage", "Pages/2.fpage"}));
    EXPECT_EQ(context->contentTypesIO, nullptr);
    EXPECT_NE(context->sequenceIO, nullptr);
    EXPECT_NE(context->documentIO, nullptr);
    EXPECT_EQ(context->documentCharset, 53u);
    EXPECT_NE(context->chunks, nullptr);
}

TEST_F(DocumentOpen, FallbackNamesAndEveryStatusOfTheChain) {
    const std::string types = markup::contentTypes(""), seq = markup::sequence({"/Doc.fdoc"});
    const std::string doc = markup::document({"P1.fpage", "P2.fpage"});
    PackageBuilder damaged = PackageBuilder::document({markup::page("")});
    damaged.corruptCrc(kTypes);
    PackageBuilder pieced = zip({{"FixedDocSeq.fdseq", seq}, {"Doc.fdoc", doc}});
    pieced.addPieces(kTypes, {types.substr(0, 40), types.substr(40)}, true);
    const struct {
        std::string bytes;
        uint32_t status;
        std::vector<std::string> pages;
    } cases[] = {
        // No Override: the sequence under its fixed name.
        {zip({{kTypes, types}, {"FixedDocumentSequence.fdseq", seq}, {"Doc.fdoc", doc}}).bytes(), 0, {"P1.fpage", "P2.fpage"}},
        // The short fixed name, and FixedDoc.fdoc when the reference names no part.
        {zip({{kTypes, types}, {"FixedDocSeq.fdseq", markup::sequence({"/Missing/Doc.fdoc"})}, {"Doc.fdoc", doc},
              {"FixedDoc.fdoc", markup::document({"Only.fpage"})}}).bytes(), 0, {"Only.fpage"}},
        {zip({{"a", "1"}, {"b", "2"}}).bytes(), 4, {}},
        {zip({{kTypes, types}, {"Elsewhere.fdseq", seq}, {"Doc.fdoc", doc}}).bytes(), 4, {}},
        // No look for FixedDoc.fdoc without a reference.
        {zip({{kTypes, types}, {"FixedDocSeq.fdseq", markup::sequence({})}, {"FixedDoc.fdoc", doc}}).bytes(), 4, {}},
        {zip({{kTypes, types}, {"FixedDocSeq.fdseq", markup::sequence({"/D.fdoc"})}}).bytes(), 4, {}},
        {zip({{kTypes, markup::contentTypes()}}).bytes(), 12, {}},
        {"this is not a zip file at all", 12, {}},
        {damaged.bytes(), PKGRD_CORRUPT_DATA, {}},   // the container's own status passes through
        {zip({{kTypes, ""}, {"x", "1"}}).bytes(), 6, {}},
        {pieced.bytes(), 15, {}},   // no temporary file for the pieces
        {pieced.bytes(), 0, {"P1.fpage", "P2.fpage"}},
    };
    for (const auto &c : cases) {
        context = newContext();
        host.files().refuseTemporaryFiles(c.status == 15);
        EXPECT_EQ(open(c.bytes), c.status) << testing::PrintToString(c.pages);
        if (c.status == 0)
            EXPECT_EQ(pages(), c.pages);
        else
            EXPECT_TRUE(context->xmlLibrary == nullptr && context->containerHandle == nullptr) << c.status;
    }
}

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

TEST_F(DocumentOpen, ShiftJisDocumentGivesJapanesePageNames) {
    std::string utf8 = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><FixedDocument xmlns=\"" + std::string(kXpsNamespace) +
                       "\"><PageContent Source=\"ページ/一.fpage\"/><PageContent Source=\"ページ/二.fpage\"/></FixedDocument>";
    iconv_t convert = iconv_open("SHIFT_JIS", "UTF-8");
    std::string shiftJis(utf8.size() * 2, '\0');
    char *in = utf8.data(), *at = shiftJis.data();
    size_t inLeft = utf8.size(), outLeft = shiftJis.size();
    ASSERT_EQ(iconv(convert, &in, &inLeft, &at, &outLeft), 0u);
    iconv_close(convert);
    shiftJis.resize(shiftJis.size() - outLeft);
    ASSERT_EQ(open(zip({{kTypes, markup::contentTypes("")}, {"FixedDocSeq.fdseq", markup::sequence({"/Doc.fdoc"})},
                        {"Doc.fdoc", shiftJis}})), 0u);
    EXPECT_EQ(pages(), (std::vector<std::string>{"ページ/一.fpage", "ページ/二.fpage"}));
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

using PageWalk = Documents;

TEST_F(PageWalk, PagesInOrderThroughTheFirstDocumentsFolder) {
    EXPECT_EQ(text(PackageBuilder::document({markup::page(line(100, "one") + line(120, "two")),
                                             markup::page(line(100, "three"))})),
              "one\ntwo\nthree");   // a new page is a new baseline
    EXPECT_EQ(completions, (std::vector<uint32_t>{100}));
    std::string after;
    EXPECT_EQ(pull(after), 0u);
    EXPECT_EQ(after, "");
    EXPECT_EQ(completions, (std::vector<uint32_t>{100, 100}));

    completions.clear();
    context = newContext();
    EXPECT_EQ(text(zip({{kTypes, markup::contentTypes()}, {"FixedDocumentSequence.fdseq", markup::sequence({"/Doc.fdoc"})},
                        {"Doc.fdoc", markup::document({})}})), "");
    EXPECT_EQ(completions, (std::vector<uint32_t>{100}));   // no pages: one empty last chunk
}

TEST_F(PageWalk, FailedPageStopsTheWalkAndIsReportedAgainWithoutWalking) {
    ASSERT_EQ(open(PackageBuilder::document({markup::page(line(100, "kept")),
                                             markup::page("<x:Foreign xmlns:x=\"urn:vendor\"/>"),
                                             markup::page(line(100, "after"))})), 0u);
    std::string records;
    EXPECT_EQ(pull(records), 6u);
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(context->chunks[0].write - context->chunks[0].start, 13);   // "kept" only: the third page was never read
    EXPECT_EQ(pull(records), 6u);
    EXPECT_EQ(context->chunks[0].write - context->chunks[0].start, 13);

    // A page the document names that is not in the package.
    context = newContext();
    ASSERT_EQ(open(zip({{kTypes, markup::contentTypes()},
                        {"FixedDocumentSequence.fdseq", markup::sequence({"/Documents/2/Doc.fdoc"})},
                        {"Documents/2/Doc.fdoc", markup::document({"Pages/1.fpage", "Pages/9.fpage"})},
                        {"Documents/2/Pages/1.fpage", markup::page(line(1, "found"))}})), 0u);
    EXPECT_EQ(pull(records), 6u);
}

TEST_F(PageWalk, EveryDocumentOfTheSequenceWithPagesFromItsOwnFolder) {
    // Documents in folders of their own, their pages relative to them; the
    // first document's folder also holds a page of the same relative name,
    // which the second document must not take for its own.  A missing
    // document is passed over, one named twice is read once, an absolute
    // reference means the root, and a page only the old names reach is
    // still found there.
    std::string seq = markup::sequence({"/Docs/A.fdoc", "/Missing.fdoc", "/Docs/A.fdoc", "/Documents/2/B.fdoc"});
    EXPECT_EQ(text(zip({{kTypes, markup::contentTypes()},
                        {"Documents/1/Pages/1.fpage", markup::page(line(100, "wrong"))},
                        {"FixedDocumentSequence.fdseq", seq},
                        {"Docs/A.fdoc", markup::document({"../Pages/a.fpage"})},
                        {"Pages/a.fpage", markup::page(line(100, "alpha"))},
                        {"Documents/2/B.fdoc", markup::document({"Pages/1.fpage", "/Pages/1.fpage", "Pages/r.fpage"})},
                        {"Documents/2/Pages/1.fpage", markup::page(line(200, "beta"))},
                        {"Pages/1.fpage", markup::page(line(300, "gamma"))},
                        {"Documents/1/Pages/r.fpage", markup::page(line(400, "delta"))}})),
              "alpha\nbeta\ngamma\ndelta");
    EXPECT_EQ(pages(), (std::vector<std::string>{"../Pages/a.fpage", "Pages/1.fpage", "Pages/1.fpage", "Pages/r.fpage"}));

    // The last document still decides: without it the package does not open.
    context = newContext();
    EXPECT_EQ(open(zip({{kTypes, markup::contentTypes()},
                        {"FixedDocumentSequence.fdseq", markup::sequence({"/Docs/A.fdoc", "/Missing.fdoc"})},
                        {"Docs/A.fdoc", markup::document({"../Pages/a.fpage"})},
                        {"Pages/a.fpage", markup::page(line(100, "alpha"))}})), 4u);
}

TEST_F(PageWalk, ChunkListThatCannotGrowStopsTheWalkWithTwo) {
    std::string body;
    for (int i = 0; i < 200; ++i)
        body += line(100 + i, "enough text to need a second output chunk");
    ASSERT_EQ(open(PackageBuilder::document({markup::page(body)})), 0u);
    host.memory().refuseSize(6048);
    std::string records;
    EXPECT_EQ(pull(records), 2u);
    EXPECT_EQ(context->currentChunk, 0);
    EXPECT_LE(context->chunks[0].write - context->chunks[0].start, 5031);
    host.memory().refuseSize(-1);
    EXPECT_EQ(pull(records), 2u);   // reported again, not walked again
}

TEST_F(PageWalk, TransformsOfABrokenPageDoNotReachTheNext) {
    std::string broken = markup::page("<Canvas RenderTransform=\"1,0,0,1,0,500\">" + line(100, "first"));
    broken = broken.substr(0, broken.find("</Canvas>"));
    EXPECT_EQ(text(PackageBuilder::document({broken, markup::page(line(100, "second"))})), "first\nsecond");
    EXPECT_EQ(context->run.origin, (Point{96, 100}));
}

} // namespace
} // namespace fixrd::test
