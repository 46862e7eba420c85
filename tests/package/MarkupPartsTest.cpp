#include "support/PackageBuilder.h"
#include "support/TestHost.h"

#include "xml/PartParser.h"

#include <vector>

namespace fixrd::test {
namespace {

// Parses markup as one of the discovery chain's parts in a fresh context and
// tells what the context learnt from it.
class MarkupParts : public HostTest {
protected:
    ContextPtr context;

    // `refuse`: the host refuses its n-th memory request from the parse on.
    std::string learnt(PartKind kind, const std::string &markup, int64_t refuse = 0) {
        context = newContext();
        IOObj *&slot = kind == PartKind::ContentTypes ? context->contentTypesIO
                       : kind == PartKind::Sequence   ? context->sequenceIO
                                                      : context->documentIO;
        slot = objectHolding(host, markup);
        host.memory().refuseRequest(refuse);
        EXPECT_EQ(parsePartXml(context.get(), kind), 0);
        host.memory().refuseRequest(0);
        const char *name = kind == PartKind::ContentTypes ? context->sequencePartName : context->documentPartName;
        if (kind != PartKind::Document)
            return name != nullptr ? name : "<none>";
        std::string pages;
        for (int32_t i = 0; i < context->pageCount; ++i)
            pages += (i > 0 ? "|" : "") + std::string(context->pageNames[i]);
        return pages;
    }
    void TearDown() override {
        context.reset();
        HostTest::TearDown();
    }
};

std::string types(const std::string &body, const std::string &root = "Types") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><" + root + " xmlns=\"" + kContentTypesNamespace + "\">" + body +
           "</" + root + ">";
}

TEST_F(MarkupParts, WhatEachPartNames) {
    const std::string type = kSequenceContentType;
    const std::string override = "<Override ContentType=\"" + type + "\" PartName=\"/S.fdseq\"/>";
    const std::string ns = std::string(" xmlns=\"") + kXpsNamespace + "\"";
    const struct {
        PartKind kind;
        std::string markup, expected;
    } cases[] = {
        // Override in either attribute order; a leading "/" is dropped.
        {PartKind::ContentTypes, types(override), "S.fdseq"},
        {PartKind::ContentTypes, types("<Override PartName=\"Seq.fdseq\" ContentType=\"" + type + "\"/>"), "Seq.fdseq"},
        {PartKind::ContentTypes, types("<Override ContentType=\"" + type + "\" PartName=\"/\"/>"), "<none>"},
        {PartKind::ContentTypes, types("<Default Extension=\"fdseq\" ContentType=\"" + type + "\"/>"), "<none>"},
        {PartKind::ContentTypes, types("<Override ContentType=\"application/vnd.MS-package.xps-fixeddocumentsequence+xml\" PartName=\"/A\"/>"), "<none>"},
        {PartKind::ContentTypes, types("<Override ContentType=\"" + type + " \" PartName=\"/A\"/>"), "<none>"},
        // A root of the right namespace but the wrong name hides every element of it.
        {PartKind::ContentTypes, types(override, "Typez"), "<none>"},
        {PartKind::ContentTypes, "\xEF\xBB\xBF" + types(override), "S.fdseq"},
        // What came before broken markup counts.
        {PartKind::ContentTypes, types(override + override).substr(0, 300) + "<Override ContentType=\"x\"<<", "S.fdseq"},
        // Ten bytes without '<' are dropped: the declaration is lost, the rest parses.
        {PartKind::ContentTypes, "0123456789" + types(override), "S.fdseq"},
        // The sequence keeps its last reference, in either namespace.
        {PartKind::Sequence, markup::sequence({"/Documents/1/FixedDocument.fdoc", "/Second.fdoc"}), "Second.fdoc"},
        {PartKind::Sequence, markup::sequence({"/Documents/1/FixedDocument.fdoc"}, kOpenXpsNamespace), "Documents/1/FixedDocument.fdoc"},
        // Pages in order, unusable sources skipped.
        {PartKind::Document, "<FixedDocument" + ns + "><PageContent Width=\"816\" Height=\"1056\" Source=\"Pages/1.fpage\"/>"
                             "<PageContent Source=\"/\"/><PageContent/><PageContent Source=\"//Pages/2.fpage\"/>"
                             "<PageContent xmlns=\"http://schemas.microsoft.com/xps/2005/06x\" Source=\"no\"/></FixedDocument>",
         "Pages/1.fpage|/Pages/2.fpage"},
        {PartKind::Document, "<FixedPage" + ns + "><PageContent Source=\"a\"/></FixedPage>", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(learnt(c.kind, c.markup), c.expected) << c.markup;
}

TEST_F(MarkupParts, PageListKeepsEarlierPagesWhenMemoryIsRefused) {
    std::vector<std::string> sources;
    for (int i = 1; i <= 5; ++i)
        sources.push_back("Pages/" + std::to_string(i) + ".fpage");
    EXPECT_EQ(learnt(PartKind::Document, markup::document(sources), 6),   // the third page's name
              "Pages/1.fpage|Pages/2.fpage|Pages/4.fpage|Pages/5.fpage");
}

TEST_F(MarkupParts, MissingOrUnopenablePartsGiveSix) {
    context = newContext();
    EXPECT_EQ(parsePartXml(context.get(), PartKind::ContentTypes), 6);
    EXPECT_EQ(parsePartXml(context.get(), PartKind::Page), 6);
    context->sequenceIO = objectHolding(host, "");
    ::unlink(context->sequenceIO->fileName);
    EXPECT_EQ(parsePartXml(context.get(), PartKind::Sequence), 6);
}

} // namespace
} // namespace fixrd::test
