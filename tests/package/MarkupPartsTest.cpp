#include "support/Packages.h"
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

TEST_F(MarkupParts, PageListKeepsEarlierPagesWhenMemoryIsRefused) {
    std::vector<std::string> sources;
    for (int i = 1; i <= 5; ++i)
        sources.push_back("Pages/" + std::to_string(i) + ".fpage");
    EXPECT_EQ(learnt(PartKind::Document, markup::document(sources), 6),   // the third page's name
              "Pages/1.fpage|Pages/2.fpage|Pages/4.fpage|Pages/5.fpage");
}

} // namespace
} // namespace fixrd::test
