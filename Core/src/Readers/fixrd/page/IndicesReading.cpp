#include "page/IndicesReading.h"

#include "page/NumberReading.h"

#include <string_view>

namespace fixrd {

namespace {

// Most entries are "index,advance" with a plain decimal advance: read where
// they stand, in one pass, with what the full reading gives them.  On success
// `at` stands on the ";" that ends the entry, or at the end.  False, entry
// untouched, for any other form.
bool readPlainEntry(std::string_view text, size_t &at, GlyphIndexEntry &entry) {
    size_t next = at;
    int32_t index = 0;
    for (; next < text.size() && next - at < 9 && text[next] >= '0' && text[next] <= '9'; ++next)
        index = index * 10 + (text[next] - '0');
    if (next == at || next >= text.size() || text[next] != ',')
        return false;
    ++next;
    double advance = entry.advance;
    if (next < text.size() && text[next] != ';' && !readPlainDecimal(text, next, advance))
        return false;
    if (next < text.size() && text[next] != ';')
        return false;
    entry.glyphIndex = index;
    entry.advance = advance;
    at = next;
    return true;
}

// Views, not copies: a page holds tens of thousands of entries.
GlyphIndexEntry readEntry(std::string_view text) {
    GlyphIndexEntry entry;
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
        size_t end = start;
        GlyphIndexEntry entry;
        if (!readPlainEntry(value, end, entry)) {
            end = value.find(';', start);
            entry = readEntry(value.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        }
        entries.push_back(entry);
        if (end >= value.size())
            return;
        start = end + 1;
    }
}

std::vector<GlyphIndexEntry> readIndices(std::string_view value) {
    std::vector<GlyphIndexEntry> entries;
    readIndices(value, entries);
    return entries;
}

} // namespace fixrd
