#include "support/PageHarness.h"

#include "frame/OutputChunks.h"
#include "xml/PartParser.h"

#include <iomanip>
#include <sstream>

namespace fixrd::test {

void PageHarness::SetUp() {
    context = newContext();
    ASSERT_EQ(initOutputChunks(context.get()), 0);
}

void PageHarness::TearDown() {
    context.reset();
    HostTest::TearDown();
}

int32_t PageHarness::parseBody(const std::string &body) {
    context->pageIO = objectHolding(host, markup::page(body));
    int32_t status = parsePartXml(context.get(), PartKind::Page);
    context->pageIO->release(context->pageIO);
    context->pageIO = nullptr;
    return status;
}

std::string PageHarness::records() const {
    std::string bytes;
    for (int32_t i = 0; i <= context->currentChunk; ++i) {
        const OutputChunk &chunk = context->chunks[i];
        bytes.append(reinterpret_cast<const char *>(chunk.start), static_cast<size_t>(chunk.write - chunk.start));
    }
    return bytes;
}

void PageHarness::addFont(const std::u32string &characters, int32_t bearingX, int32_t width, int32_t advance,
                          uint16_t unitsPerEm) {
    FontEntry entry;
    entry.unitsPerEm = unitsPerEm;
    GlyphMetrics metrics;
    metrics.horiBearingX = bearingX;
    metrics.width = width;
    metrics.horiAdvance = advance;
    for (char32_t c : characters)
        entry.glyphs[c] = metrics;
    context->fonts->addFont(context->fonts->keyOf(kTestFont), std::move(entry));
}

std::string glyphs(double x, double y, const std::string &text, const std::string &indices,
                   const std::string &extra) {
    std::ostringstream out;
    out << std::setprecision(17) << "<Glyphs FontUri=\"" << kTestFont << "\" FontRenderingEmSize=\"10\" OriginX=\"" << x << "\" OriginY=\""
        << y << "\" UnicodeString=\"" << text << "\"";
    if (!indices.empty())
        out << " Indices=\"" << indices << "\"";
    out << " " << extra << "/>";
    return out.str();
}

} // namespace fixrd::test
