#include "fonts/MappedFont.h"

#include <algorithm>

namespace fixrd {

bool MappedFont::load(uint32_t glyph, GlyphMetrics &metrics) {
    if (tried_.empty()) {
        tried_.assign(face_.glyphCount(), Glyph::Untried);
        metrics_.resize(tried_.size());
    }
    if (glyph >= tried_.size())   // past what the face declares: never kept
        return face_.loadMetrics(glyph, metrics);
    if (tried_[glyph] == Glyph::Untried)
        tried_[glyph] = face_.loadMetrics(glyph, metrics_[glyph]) ? Glyph::Loaded : Glyph::Failed;
    if (tried_[glyph] == Glyph::Failed)
        return false;
    metrics = metrics_[glyph];
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
