// Writes the sample document that `make run` reads: three pages of prose in
// an embedded, obfuscated serif font, with a heading, two columns on one page
// and a scaled canvas on another.  Lines carry the font's real advances, so
// the text comes back with its words and lines as a reader sees them.
//
// Usage: make-sample FONT.ttf OUTPUT.xps
#include "package-builder/PackageBuilder.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using fixrd::builder::PackageBuilder;
namespace markup = fixrd::builder::markup;

namespace {

const char *kGuid = "3F2A9C41-7B5D-4E08-9A1C-6D2E8B4F0A57";
const std::string kFontPart = std::string("/Resources/Fonts/") + kGuid + ".odttf";

class Font {
public:
    explicit Font(const std::string &path) {
        if (FT_Init_FreeType(&library_) != 0 || FT_New_Face(library_, path.c_str(), 0, &face_) != 0)
            throw std::runtime_error("cannot open font " + path);
    }
    ~Font() {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    // Advance of a character in hundredths of the em, and its glyph index.
    double advance(char32_t c, unsigned &glyph) const {
        glyph = FT_Get_Char_Index(face_, c);
        if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE) != 0)
            return 0;
        return 100.0 * face_->glyph->metrics.horiAdvance / face_->units_per_EM;
    }
    double width(const std::string &text, double emSize) const {
        double total = 0;
        unsigned glyph;
        for (char c : text)
            total += advance(static_cast<unsigned char>(c), glyph);
        return total * emSize / 100.0;
    }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// A Glyphs element for ASCII text.  joinWords leaves the spaces out of the
// text and widens the advance of each word's last letter instead, as some
// writers do; the reader has to find those gaps from the geometry.
std::string glyphs(const Font &font, const std::string &text, double x, double y, double emSize,
                   bool joinWords = false) {
    std::ostringstream indices;
    std::string shown;
    unsigned glyph;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (joinWords && c == ' ')
            continue;
        double advance = font.advance(static_cast<unsigned char>(c), glyph);
        if (joinWords && i + 1 < text.size() && text[i + 1] == ' ') {
            unsigned spaceGlyph;
            advance += font.advance(' ', spaceGlyph);
        }
        if (!shown.empty())
            indices << ';';
        char number[32];
        std::snprintf(number, sizeof number, "%.2f", advance);
        indices << glyph << ',' << number;
        shown += c;
    }
    std::ostringstream out;
    out << "<Glyphs Fill=\"#ff000000\" FontUri=\"" << kFontPart << "\" FontRenderingEmSize=\"" << emSize
        << "\" StyleSimulations=\"None\" OriginX=\"" << x << "\" OriginY=\"" << y << "\" Indices=\""
        << indices.str() << "\" UnicodeString=\"" << shown << "\"/>\n";
    return out.str();
}

std::vector<std::string> wrap(const Font &font, const std::string &paragraph, double emSize, double width) {
    std::vector<std::string> lines;
    std::istringstream words(paragraph);
    std::string word, line;
    while (words >> word) {
        std::string candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && font.width(candidate, emSize) > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = candidate;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// Paragraphs set from y on; returns the y after them.
double setText(const Font &font, std::string &page, const std::vector<std::string> &paragraphs, double x,
               double y, double width, double emSize = 12.0) {
    for (const std::string &paragraph : paragraphs) {
        for (const std::string &line : wrap(font, paragraph, emSize, width)) {
            page += glyphs(font, line, x, y, emSize);
            y += emSize * 1.4;
        }
        y += emSize * 0.8;
    }
    return y;
}

std::string pageOne(const Font &font) {
    std::string body = glyphs(font, "The Quiet Work of Fixed Pages", 96, 110, 24);
    double y = setText(font, body,
                       {"A fixed page keeps every letter where its author put it. Nothing reflows when the "
                        "window narrows, and nothing moves when the printer changes. That is the promise of "
                        "a fixed layout, and it is why archives keep so many of them.",
                        "The same promise makes the text hard to get back. A page does not say where a word "
                        "ends; it only places glyphs, one after another, at measured distances. A reader "
                        "that wants words has to look at those distances and decide."},
                       96, 160, 600);
    // One line written word by word, as separate runs on one baseline.
    double x = 96;
    for (const char *word : {"Each", "word", "here", "is", "its", "own", "run."}) {
        body += glyphs(font, word, x, y, 12);
        x += font.width(std::string(word) + " ", 12);
    }
    return markup::page(body);
}

std::string pageTwo(const Font &font) {
    std::string body = glyphs(font, "Two Columns", 96, 110, 20);
    body += "<Canvas>\n";
    setText(font, body,
            {"The left column comes first in the markup, from its top line to its bottom line. A reader that "
             "follows the markup reads it whole before it turns to the right column.",
             "Column order is a property of the file, not of the page as it looks."},
            96, 160, 280, 11);
    setText(font, body,
            {"The right column starts again near the top of the page. Its first line sits level with the "
             "first line of the left column, but it arrives later in the stream.",
             "Indexers that keep the stream order keep each column together."},
            420, 160, 280, 11);
    body += "</Canvas>\n";
    return markup::page(body);
}

std::string pageThree(const Font &font) {
    std::string body = "<Canvas RenderTransform=\"1.5,0,0,1.5,40,60\">\n";
    body += glyphs(font, "A Scaled Canvas", 64, 60, 16);
    setText(font, body,
            {"Everything on this part of the page is drawn half as large again as it is written. The "
             "distances between letters grow with it, so the gaps between words stay gaps."},
            64, 100, 380, 10);
    body += "</Canvas>\n";
    body += glyphs(font, "These words were written without spaces between them", 96, 420, 12, true);
    body += glyphs(font, "End of the sample.", 96, 460, 12);
    return markup::page(body);
}

// The font part as its file name's GUID obfuscates it.
std::string obfuscate(std::string font) {
    unsigned key[16];
    std::sscanf(kGuid, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", &key[0], &key[1],
                &key[2], &key[3], &key[4], &key[5], &key[6], &key[7], &key[8], &key[9], &key[10], &key[11],
                &key[12], &key[13], &key[14], &key[15]);
    for (int i = 0; i < 32 && i < static_cast<int>(font.size()); ++i)
        font[i] = static_cast<char>(font[i] ^ key[15 - (i % 16)]);
    return font;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-sample FONT.ttf OUTPUT.xps\n");
        return 2;
    }
    try {
        Font font(argv[1]);
        std::ifstream in(argv[1], std::ios::binary);
        std::string fontBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

        PackageBuilder package = PackageBuilder::document({pageOne(font), pageTwo(font), pageThree(font)});
        package.add(kFontPart.substr(1), obfuscate(fontBytes));
        package.writeTo(argv[2]);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make-sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
