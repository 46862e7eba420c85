#include "fonts/MappedFont.h"

#include <algorithm>

namespace fixrd {

bool MappedFont::load(uint32_t glyph, GlyphMetrics &metrics) {
    size_t count = face_.glyphCount();
    if (glyph >= count)   // past what the face declares: never kept
        return face_.loadMetrics(glyph, metrics);
    if (pages_.empty())
        pages_.resize((count + kPageGlyphs - 1) / kPageGlyphs);
    std::unique_ptr<Page> &page = pages_[glyph / kPageGlyphs];
    if (!page)
        page = std::make_unique<Page>();
    size_t at = glyph % kPageGlyphs;
    if (page->tried[at] == Glyph::Untried)
        page->tried[at] = face_.loadMetrics(glyph, page->metrics[at]) ? Glyph::Loaded : Glyph::Failed;
    if (page->tried[at] == Glyph::Failed)
        return false;
    metrics = page->metrics[at];
    return true;
}

bool MappedFont::mapCodes(size_t limit, bool onlyLoadable) {
    glyphOf_.clear();
    bool within = face_.walkMap([&](uint32_t code, FT_UInt glyph) {
        GlyphMetrics metrics;
        if (onlyLoadable && !load(glyph, metrics))
            return true;
        if (glyphOf_.size() >= limit)
            return false;
        glyphOf_.push_back({code, glyph});
        return true;
    });
    if (!within)
        std::vector<Mapped>().swap(glyphOf_);
    allLoadable_ = within && onlyLoadable;
    return within;
}

size_t MappedFont::loadableCount() {
    if (allLoadable_)
        return glyphOf_.size();
    size_t count = 0;
    GlyphMetrics metrics;
    for (const Mapped &mapped : glyphOf_)
        count += load(mapped.glyph, metrics) ? 1 : 0;
    return count;
}

bool MappedFont::metricsOf(uint32_t code, GlyphMetrics &metrics) {
    auto found = std::lower_bound(glyphOf_.begin(), glyphOf_.end(), code,
                                  [](const Mapped &mapped, uint32_t wanted) { return mapped.code < wanted; });
    return found != glyphOf_.end() && found->code == code && load(found->glyph, metrics);
}

void MappedFont::copyAll(GlyphTable &table) {
    GlyphMetrics metrics;
    for (const Mapped &mapped : glyphOf_)
        if (load(mapped.glyph, metrics))
            table.emplace(mapped.code, metrics);
}

} // namespace fixrd
