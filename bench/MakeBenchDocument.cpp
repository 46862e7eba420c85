// Writes the benchmark document: many pages of dense prose, 60 lines a page,
// set in an embedded, obfuscated font with the font's real advances in
// Indices, the way office writers produce XPS.  The words are drawn from a
// fixed list with a fixed seed, so every run gets the same document.  With
// --cjk, the document of the CJK row instead: ten pages, each a line in a
// font of its own, each font a whole copy of FONT (a CJK font that maps tens
// of thousands of characters), so that loading the fonts is the work.
//
// Usage: bench-document FONT.ttf OUTPUT.xps [PAGES]
//        bench-document --cjk FONT OUTPUT.xps
#include "package-builder/PackageBuilder.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using fixrd::builder::PackageBuilder;

namespace {

const char *kGuid = "6B1E0D7C-54A2-4F39-8E1B-2C9D07A3F468";
const std::string kFontPart = std::string("/Resources/Fonts/") + kGuid + ".odttf";
constexpr int kLinesPerPage = 60;
constexpr double kEmSize = 10.5;

const char *const kWords[] = {
    "the", "of", "and", "a", "to", "in", "is", "that", "for", "it", "as", "was", "with", "be", "by", "on",
    "not", "he", "this", "are", "or", "his", "from", "at", "which", "but", "have", "an", "had", "they",
    "document", "page", "archive", "record", "printer", "letter", "invoice", "contract", "minutes",
    "meeting", "council", "budget", "quarter", "revenue", "shipment", "warehouse", "customer", "account",
    "balance", "statement", "schedule", "approval", "signature", "reference", "section", "paragraph",
    "appendix", "summary", "finding", "evidence", "witness", "hearing", "judgment", "appeal", "statute",
    "regulation", "compliance", "inspection", "laboratory", "sample", "measurement", "temperature",
    "pressure", "velocity", "northern", "southern", "eastern", "western", "river", "bridge", "harbour",
    "railway", "station", "district", "province", "municipal", "federal", "ministry", "department",
    "committee", "chairman", "secretary", "treasurer", "engineer", "surveyor", "architect", "contractor",
    "supplier", "tender", "delivery", "payment", "interest", "principal", "mortgage", "insurance", "claim",
    "damage", "repair", "maintenance", "equipment", "vehicle", "fuel", "energy", "electricity", "water",
    "drainage", "planning", "permission", "boundary", "parcel", "register", "deed", "estate", "trust"};

class Font {
public:
    explicit Font(const std::string &path) {
        if (FT_Init_FreeType(&library_) != 0 || FT_New_Face(library_, path.c_str(), 0, &face_) != 0)
            throw std::runtime_error("cannot open font " + path);
        for (unsigned c = 32; c < 127; ++c) {
            glyph_[c] = FT_Get_Char_Index(face_, c);
            advance_[c] = FT_Load_Glyph(face_, glyph_[c], FT_LOAD_NO_SCALE) == 0
                              ? 100.0 * face_->glyph->metrics.horiAdvance / face_->units_per_EM
                              : 0;
        }
    }
    ~Font() {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    unsigned glyph(char c) const { return glyph_[static_cast<unsigned char>(c) & 127]; }
    // In hundredths of the em, as Indices writes them.
    double advance(char c) const { return advance_[static_cast<unsigned char>(c) & 127]; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    unsigned glyph_[128] = {};
    double advance_[128] = {};
};

std::string glyphs(const Font &font, const std::string &text, double x, double y) {
    std::string indices;
    char number[48];
    for (size_t i = 0; i < text.size(); ++i) {
        std::snprintf(number, sizeof number, "%s%u,%.2f", i == 0 ? "" : ";", font.glyph(text[i]),
                      font.advance(text[i]));
        indices += number;
    }
    std::ostringstream out;
    out << "<Glyphs Fill=\"#ff000000\" FontUri=\"" << kFontPart << "\" FontRenderingEmSize=\"" << kEmSize
        << "\" StyleSimulations=\"None\" OriginX=\"" << x << "\" OriginY=\"" << y << "\" Indices=\"" << indices
        << "\" UnicodeString=\"" << text << "\"/>\n";
    return out.str();
}

// A line of prose about 90 characters long.
std::string nextLine(unsigned &seed) {
    std::string line;
    while (line.size() < 88) {
        seed = seed * 1103515245u + 12345u;
        const char *word = kWords[(seed >> 8) % (sizeof kWords / sizeof kWords[0])];
        line += line.empty() ? "" : " ";
        line += word;
    }
    line += '.';
    return line;
}

std::string obfuscate(std::string font) {
    unsigned key[16];
    std::sscanf(kGuid, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", &key[0], &key[1],
                &key[2], &key[3], &key[4], &key[5], &key[6], &key[7], &key[8], &key[9], &key[10], &key[11],
                &key[12], &key[13], &key[14], &key[15]);
    for (size_t i = 0; i < 32 && i < font.size(); ++i)
        font[i] = static_cast<char>(font[i] ^ key[15 - (i % 16)]);
    return font;
}

// The start part relationship, which other readers look for first.
void addStartPart(PackageBuilder &package) {
    package.add("_rels/.rels",
                "<?xml version=\"1.0\" encoding=\"utf-8\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/"
                "package/2006/relationships\"><Relationship Type=\"http://schemas.microsoft.com/xps/2005/06/"
                "fixedrepresentation\" Target=\"/FixedDocumentSequence.fdseq\" Id=\"R0\"/></Relationships>");
}

std::string cjkDocument(const std::string &fontBytes) {
    const char *line = "\u6587\u6863\u7684\u6587\u5b57\u8bfb\u53d6\u6d4b\u8bd5\uff0c\u4e2d\u6587"
                       "\u7e41\u9ad4\u5b57\u548c\u65e5\u672c\u8a9e\u306e\u304b\u306a";
    std::vector<std::string> pages;
    for (int p = 0; p < 10; ++p)
        pages.push_back(fixrd::builder::markup::page("<Glyphs Fill=\"#ff000000\" FontUri=\"/Resources/Fonts/cjk-" +
                                                  std::to_string(p) + ".ttf\" FontRenderingEmSize=\"12\" "
                                                  "OriginX=\"48\" OriginY=\"64\" UnicodeString=\"" + line + "\"/>"));
    PackageBuilder package = PackageBuilder::document(pages);
    addStartPart(package);
    for (int p = 0; p < 10; ++p)
        package.add("Resources/Fonts/cjk-" + std::to_string(p) + ".ttf", fontBytes);
    return package.bytes();
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::string(argv[1]) == "--cjk") {
        std::ifstream in(argv[2], std::ios::binary);
        std::string fontBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string bytes = fontBytes.empty() ? "" : cjkDocument(fontBytes);
        if (bytes.empty() || !std::ofstream(argv[3], std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()))) {
            std::fprintf(stderr, "bench-document: cannot read %s or write %s\n", argv[2], argv[3]);
            return 1;
        }
        return 0;
    }
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: bench-document FONT.ttf OUTPUT.xps [PAGES]\n");
        return 2;
    }
    int pageCount = argc == 4 ? std::atoi(argv[3]) : 500;
    try {
        Font font(argv[1]);
        std::ifstream in(argv[1], std::ios::binary);
        std::string fontBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        unsigned seed = 20240611;
        std::vector<std::string> pages;
        for (int p = 0; p < pageCount; ++p) {
            std::string body;
            for (int line = 0; line < kLinesPerPage; ++line)
                body += glyphs(font, nextLine(seed), 48, 64 + line * 15.5);
            pages.push_back(fixrd::builder::markup::page(body));
        }
        PackageBuilder package = PackageBuilder::document(pages);
        addStartPart(package);
        package.add(kFontPart.substr(1), obfuscate(fontBytes));
        package.writeTo(argv[2]);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench-document: %s\n", e.what());
        return 1;
    }
    return 0;
}
