#include "support/PackageBuilder.h"
#include "support/TestHost.h"

#include "xml/PartParser.h"

#include <vector>

namespace fixrd::test {
namespace {

// Parses markup as one of the discovery chain's parts and reports what the
// context learnt from it.
class MarkupParts : public HostTest {
protected:
    ContextPtr context = newContext();

    int32_t parse(PartKind kind, const std::string &markup) {
        IOObj *&slot = kind == PartKind::ContentTypes ? context->contentTypesIO
                       : kind == PartKind::Sequence   ? context->sequenceIO
                                                      : context->documentIO;
        if (slot != nullptr)
            slot->release(slot);
        slot = objectHolding(host, markup);
        return parsePartXml(context.get(), kind);
    }
    std::string sequenceName() { return context->sequencePartName ? context->sequencePartName : "<none>"; }
    std::string documentName() { return context->documentPartName ? context->documentPartName : "<none>"; }
    std::vector<std::string> pages() {
        return std::vector<std::string>(context->pageNames, context->pageNames + context->pageCount);
    }
    void TearDown() override {
        context.reset();
        HostTest::TearDown();
    }
};

std::string types(const std::string &body) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types xmlns=\"") + kContentTypesNamespace +
           "\">" + body + "</Types>";
}

TEST_F(MarkupParts, OverrideGivesTheSequenceNameInEitherAttributeOrder) {
    ASSERT_EQ(parse(PartKind::ContentTypes, types(std::string("<Override ContentType=\"") + kSequenceContentType +
                                                   "\" PartName=\"/FixedDocSeq.fdseq\"/>")), 0);
    EXPECT_EQ(sequenceName(), "FixedDocSeq.fdseq");
    ASSERT_EQ(parse(PartKind::ContentTypes, types(std::string("<Override PartName=\"Seq.fdseq\" ContentType=\"") +
                                                   kSequenceContentType + "\"/>")), 0);
    EXPECT_EQ(sequenceName(), "Seq.fdseq");
}

TEST_F(MarkupParts, ContentTypesThatNameNoSequence) {
    const std::string type = kSequenceContentType;
    for (const std::string &body : std::vector<std::string>{
             "<Override ContentType=\"" + type + "\" PartName=\"/\"/>",
             "<Default Extension=\"fdseq\" ContentType=\"" + type + "\"/>",
             "<Override ContentType=\"application/vnd.MS-package.xps-fixeddocumentsequence+xml\" PartName=\"/A\"/>",
             "<Override ContentType=\"application/vnd.ms-package.xps-fixeddocumentsequence+xml \" PartName=\"/A\"/>",
         }) {
        ASSERT_EQ(parse(PartKind::ContentTypes, types(body)), 0);
        EXPECT_EQ(sequenceName(), "<none>") << body;
    }
    // A root of the right namespace but the wrong name hides every element of it.
    std::string wrongRoot = std::string("<Typez xmlns=\"") + kContentTypesNamespace + "\"><Override ContentType=\"" +
                            type + "\" PartName=\"/A\"/></Typez>";
    ASSERT_EQ(parse(PartKind::ContentTypes, wrongRoot), 0);
    EXPECT_EQ(sequenceName(), "<none>");
}

TEST_F(MarkupParts, LeadInBytesAndBrokenMarkup) {
    const std::string override =
        std::string("<Override ContentType=\"") + kSequenceContentType + "\" PartName=\"/S.fdseq\"/>";
    ASSERT_EQ(parse(PartKind::ContentTypes, "\xEF\xBB\xBF" + types(override)), 0);
    EXPECT_EQ(sequenceName(), "S.fdseq");

    // The last override counts, also when the markup breaks off after it.
    std::string twice = types(override + override).substr(0, 300);
    ASSERT_EQ(parse(PartKind::ContentTypes, twice + "<Override ContentType=\"x\"<<"), 0);
    EXPECT_EQ(sequenceName(), "S.fdseq");

    // Ten bytes without '<' are dropped: the declaration is lost, the rest parses.
    ASSERT_EQ(parse(PartKind::ContentTypes, "0123456789" + types(override)), 0);
    EXPECT_EQ(sequenceName(), "S.fdseq");
}

TEST_F(MarkupParts, SequenceKeepsTheLastReferenceInEitherNamespace) {
    ASSERT_EQ(parse(PartKind::Sequence, markup::sequence({"/Documents/1/FixedDocument.fdoc", "/Second.fdoc"})), 0);
    EXPECT_EQ(documentName(), "Second.fdoc");
    ASSERT_EQ(parse(PartKind::Sequence, markup::sequence({"/Documents/1/FixedDocument.fdoc"}, kOpenXpsNamespace)), 0);
    EXPECT_EQ(documentName(), "Documents/1/FixedDocument.fdoc");
}

TEST_F(MarkupParts, DocumentListsPagesInOrderSkippingUnusableSources) {
    std::string markup = std::string("<FixedDocument xmlns=\"") + kXpsNamespace + "\">" +
                         "<PageContent Width=\"816\" Height=\"1056\" Source=\"Pages/1.fpage\"/>"
                         "<PageContent Source=\"/\"/>"
                         "<PageContent/>"
                         "<PageContent Source=\"//Pages/2.fpage\"/>"
                         "<PageContent xmlns=\"http://schemas.microsoft.com/xps/2005/06x\" Source=\"no\"/>"
                         "</FixedDocument>";
    ASSERT_EQ(parse(PartKind::Document, markup), 0);
    EXPECT_EQ(pages(), (std::vector<std::string>{"Pages/1.fpage", "/Pages/2.fpage"}));
}

TEST_F(MarkupParts, DocumentWithAnotherRootYieldsNoPages) {
    std::string markup = std::string("<FixedPage xmlns=\"") + kXpsNamespace +
                         "\"><PageContent Source=\"a\"/></FixedPage>";
    ASSERT_EQ(parse(PartKind::Document, markup), 0);
    EXPECT_EQ(context->pageCount, 0);
}

TEST_F(MarkupParts, PageListKeepsEarlierPagesWhenMemoryIsRefused) {
    std::vector<std::string> sources;
    for (int i = 1; i <= 10; ++i)
        sources.push_back("Pages/" + std::to_string(i) + ".fpage");
    host.memory().refuseRequest(6);   // the third page's name
    ASSERT_EQ(parse(PartKind::Document, markup::document(sources)), 0);
    host.memory().refuseRequest(0);
    ASSERT_EQ(context->pageCount, 9);
    EXPECT_EQ(pages()[1], "Pages/2.fpage");
    EXPECT_EQ(pages()[2], "Pages/4.fpage");
}

TEST_F(MarkupParts, MissingOrUnopenablePartsGiveSix) {
    EXPECT_EQ(parsePartXml(context.get(), PartKind::ContentTypes), 6);
    EXPECT_EQ(parsePartXml(context.get(), PartKind::Page), 6);
    context->sequenceIO = objectHolding(host, "");
    ::unlink(context->sequenceIO->fileName);
    EXPECT_EQ(parsePartXml(context.get(), PartKind::Sequence), 6);
}

} // namespace
} // namespace fixrd::test
