#include "support/SyntheticFont.h"

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

namespace fixrd::test {

namespace {

std::string be(uint32_t value, int bytes) {
    std::string out;
    while (bytes-- > 0)
        out += static_cast<char>(value >> (8 * bytes));
    return out;
}

std::vector<uint32_t> codePoints(const std::string &utf8) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < utf8.size();) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        uint32_t code = length == 1 ? byte : byte & (0x7F >> length);
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k)
            code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(code);
        i += length;
    }
    return out;
}

std::string characterMap(const std::vector<uint32_t> &codes, bool bmp) {
    if (!bmp) {
        std::string map;
        for (size_t i = 0; i < codes.size(); ++i)
            map += be(codes[i], 4) + be(codes[i], 4) + be(static_cast<uint32_t>(i + 1), 4);
        uint32_t groups = static_cast<uint32_t>(codes.size());
        return be(0, 2) + be(1, 2) + be(3, 2) + be(10, 2) + be(12, 4) +
               be(12, 2) + be(0, 2) + be(16 + 12 * groups, 4) + be(0, 4) + be(groups, 4) + map;
    }
    // One segment a character, then the closing 0xFFFF one.
    std::vector<std::pair<uint16_t, uint16_t>> segments;   // code, glyph
    for (size_t i = 0; i < codes.size(); ++i)
        if (codes[i] < 0xFFFF)
            segments.emplace_back(static_cast<uint16_t>(codes[i]), static_cast<uint16_t>(i + 1));
    segments.emplace_back(0xFFFF, 0);
    std::string ends, starts, deltas;
    for (auto [code, glyph] : segments)
        ends += be(code, 2), starts += be(code, 2), deltas += be(static_cast<uint16_t>(glyph - code), 2);
    uint32_t count = static_cast<uint32_t>(segments.size());
    std::string map = be(4, 2) + be(16 + 8 * count, 2) + be(0, 2) + be(2 * count, 2) + be(2, 2) + be(0, 2) + be(0, 2) +
                      ends + be(0, 2) + starts + deltas + std::string(2 * count, '\0');
    return be(0, 2) + be(1, 2) + be(3, 2) + be(1, 2) + be(12, 4) + map;
}

} // namespace

std::string syntheticFont(const std::string &characters, const BoxMetrics &m, bool bmpMap) {
    // Character maps list codes in ascending order.
    std::vector<uint32_t> codes = codePoints(characters);
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    const auto glyphs = static_cast<uint16_t>(codes.size() + 1);   // .notdef first
    const int16_t right = static_cast<int16_t>(m.bearing + m.width);
    std::string box = be(1, 2) + be(static_cast<uint16_t>(m.bearing), 2) + be(0, 2) + be(static_cast<uint16_t>(right), 2) +
                      be(700, 2) + be(3, 2) + be(0, 2) + std::string(4, '\x01') +
                      be(static_cast<uint16_t>(m.bearing), 2) + be(0, 2) + be(static_cast<uint16_t>(m.width), 2) + be(0, 2) +
                      be(0, 2) + be(700, 2) + be(0, 2) + be(0xFFFF & -700, 2);
    std::string glyf, loca, hmtx;
    for (uint16_t g = 0; g < glyphs; ++g) {
        loca += be(static_cast<uint32_t>(glyf.size() / 2), 2);
        glyf += box;
        hmtx += be(m.advance, 2) + be(static_cast<uint16_t>(m.bearing), 2);
    }
    loca += be(static_cast<uint32_t>(glyf.size() / 2), 2);

    std::vector<std::pair<std::string, std::string>> tables = {
        {"cmap", characterMap(codes, bmpMap)},
        {"glyf", glyf},
        {"head", be(0x10000, 4) + be(0x10000, 4) + be(0, 4) + be(0x5F0F3CF5, 4) + be(0x000B, 2) + be(m.unitsPerEm, 2) +
                     std::string(16, '\0') + be(static_cast<uint16_t>(m.bearing), 2) + be(0, 2) +
                     be(static_cast<uint16_t>(right), 2) + be(700, 2) + be(0, 2) + be(8, 2) + be(2, 2) + be(0, 2) + be(0, 2)},
        {"hhea", be(0x10000, 4) + be(800, 2) + be(0xFFFF & -200, 2) + be(0, 2) + be(m.advance, 2) +
                     be(static_cast<uint16_t>(m.bearing), 2) + be(0, 2) + be(static_cast<uint16_t>(right), 2) + be(1, 2) +
                     be(0, 2) + be(0, 2) + std::string(8, '\0') + be(0, 2) + be(glyphs, 2)},
        {"hmtx", hmtx},
        {"loca", loca},
        {"maxp", be(0x10000, 4) + be(glyphs, 2) + be(4, 2) + be(1, 2) + std::string(22, '\0')},
        {"name", be(0, 2) + be(0, 2) + be(6, 2)},
        {"post", be(0x30000, 4) + std::string(28, '\0')},
    };
    std::string directory = be(0x10000, 4) + be(static_cast<uint32_t>(tables.size()), 2) + be(128, 2) + be(3, 2) +
                            be(static_cast<uint32_t>(tables.size() * 16 - 128), 2);
    std::string data;
    size_t offset = directory.size() + 16 * tables.size();
    for (auto &[tag, table] : tables) {
        std::string padded = table + std::string((4 - table.size() % 4) % 4, '\0');
        uint32_t sum = 0;
        for (size_t i = 0; i < padded.size(); i += 4)
            sum += static_cast<uint32_t>(static_cast<unsigned char>(padded[i])) << 24 |
                   static_cast<uint32_t>(static_cast<unsigned char>(padded[i + 1])) << 16 |
                   static_cast<uint32_t>(static_cast<unsigned char>(padded[i + 2])) << 8 |
                   static_cast<unsigned char>(padded[i + 3]);
        directory += tag + be(sum, 4) + be(static_cast<uint32_t>(offset + data.size()), 4) +
                     be(static_cast<uint32_t>(table.size()), 4);
        data += padded;
    }
    return directory + data;
}

} // namespace fixrd::test
