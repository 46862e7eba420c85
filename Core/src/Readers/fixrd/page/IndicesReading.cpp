#include "page/IndicesReading.h"

#include "page/NumberReading.h"

#include <string_view>

namespace fixrd {

namespace {

// Most entries are "index,advance": read in one pass, with what the full
// reading gives them.  False, entry untouched, for any other form.
bool readPlainEntry(std::string_view text, GlyphIndexEntry &entry) {
    size_t at = 0;
    int32_t index = 0;
    for (; at < text.size() && at < 9 && text[at] >= '0' && text[at] <= '9'; ++at)
        index = index * 10 + (text[at] - '0');
    if (at == 0 || at >= text.size() || text[at] != ',')
        return false;
    std::string_view advance = text.substr(at + 1);
    for (char c : advance)
        if (c == ',')
            return false;
    entry.glyphIndex = index;
    if (!advance.empty())
        entry.advance = leadingDouble(advance);
    return true;
}

// Views, not copies: a page holds tens of thousands of entries.
GlyphIndexEntry readEntry(std::string_view text) {
    GlyphIndexEntry entry;
    if (readPlainEntry(text, entry))
        return entry;
    std::string_view rest = text;
    size_t close = text.find(')');
    if (!text.empty() && text[0] == '(' && close != std::string_view::npos) {
        std::string_view cluster = text.substr(1, close - 1);
        size_t colon = cluster.find(':');
        if (colon != std::string_view::npos) {
            entry.clusterCharCount = leadingInt(cluster.substr(0, colon));
            entry.clusterGlyphCount = leadingInt(cluster.substr(colon + 1));
        } else {
            entry.clusterCharCount = leadingInt(cluster);
        }
        rest = text.substr(close + 1);
    }

    size_t start = 0;
    for (int field = 0; field < 4 && start <= rest.size(); ++field) {
        size_t comma = rest.find(',', start);
        std::string_view value = rest.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (!value.empty()) {
            switch (field) {
            case 0: entry.glyphIndex = leadingInt(value); break;
            case 1: entry.advance = leadingDouble(value); break;
            case 2: entry.uOffset = leadingDouble(value); break;
            case 3: entry.vOffset = leadingDouble(value); break;
            }
        }
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return entry;
}

} // namespace

void readIndices(std::string_view value, std::vector<GlyphIndexEntry> &entries) {
    entries.clear();
    size_t start = 0;
    for (;;) {
        size_t semicolon = value.find(';', start);
        entries.push_back(readEntry(value.substr(start, semicolon == std::string_view::npos ? std::string_view::npos
                                                                                              : semicolon - start)));
        if (semicolon == std::string_view::npos)
            return;
        start = semicolon + 1;
    }
}

std::vector<GlyphIndexEntry> readIndices(std::string_view value) {
    std::vector<GlyphIndexEntry> entries;
    readIndices(value, entries);
    return entries;
}

} // namespace fixrd
