// Writes the seed corpora of the fuzz targets: the packages of the document
// cases, pages, fonts and attribute values.
//
// Usage: make-fuzz-seeds FOLDER   (writes FOLDER/package, page, font, attributes)
#include "cases/CaseFile.h"
#include "support/SyntheticFont.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace markup = fixrd::builder::markup;

namespace {

std::string glyphs(double x, double y, const std::string &text, const std::string &extra = "") {
    return "<Glyphs FontUri=\"/Resources/Fonts/6C0F4B3A-19D2-4E57-8A61-F03B2C9D7E15.odttf\" FontRenderingEmSize=\"12\" "
           "OriginX=\"" + std::to_string(x) + "\" OriginY=\"" + std::to_string(y) + "\" UnicodeString=\"" + text +
           "\" " + extra + "/>";
}

std::vector<std::string> pages() {
    return {
        markup::page(glyphs(96, 100, "Hello, world") + glyphs(180, 100, "again") + glyphs(96, 120, "Next line")),
        markup::page(glyphs(96, 100, "Spaced", "Indices=\"41,60;72,55;(1:2)68,58;;,,1,2;0,300\"") +
                     glyphs(96, 100, "{}{braces} ﬁ 漢字 \xF0\x9F\x98\x80")),
        markup::page("<Canvas RenderTransform=\"1.5,0,0,1.5,40,60\"><Canvas><Canvas.RenderTransform>"
                     "<MatrixTransform Matrix=\"0,1,-1,0,300,0\"/></Canvas.RenderTransform>" +
                     glyphs(10, 10, "Turned") + "</Canvas><Path Data=\"M 0,0 L 1,1\" RenderTransform=\"2,0,0,2,0,0\"/>" +
                     glyphs(10, 30, "Scaled", "RenderTransform=\"1,0,0,-1,0,500\"") + "</Canvas>"),
        markup::page(glyphs(0, 0, "On the axes") + glyphs(0, 50, "Left edge"), fixrd::builder::kOpenXpsNamespace),
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?><FixedPage xmlns=\"" + std::string(fixrd::builder::kXpsNamespace) +
            "\" Width=\"816\" Height=\"1056\">" + glyphs(10, 10, "caf\xE9 \x80 \x93quoted\x94") + "</FixedPage>",
        "<?xml version=\"1.0\" encoding=\"shift_jis\"?><FixedPage xmlns=\"" + std::string(fixrd::builder::kXpsNamespace) +
            "\">" + glyphs(10, 10, "\x93\xFA\x96\x7B\x8C\xEA") + "</FixedPage>",
        markup::page("<mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"/>"),
    };
}

// Every document case that is small enough: each shows the reader one
// behaviour, and large inputs slow every execution that mutates them.
std::vector<std::string> packages() {
    std::vector<std::string> out;
    for (const std::string &file : fixrd::test::caseFilesIn(FIXRD_SOURCE_DIR "/tests/cases"))
        for (const fixrd::test::DocumentCase &c : fixrd::test::readCaseFile(file))
            if (std::string bytes = fixrd::test::packageBytes(c); bytes.size() <= 64 * 1024)
                out.push_back(std::move(bytes));
    return out;
}

// Box fonts of every letter, with a character map of format 4 and of format
// 12: a real font is hundreds of kilobytes, which would make each fuzz input
// slow and most mutations land in glyph outlines.
std::vector<std::string> fonts() {
    std::string letters = " ";
    for (char c = 'A'; c <= 'Z'; ++c)
        letters += {c, static_cast<char>(c - 'A' + 'a')};
    return {fixrd::test::syntheticFont(letters, {}, true), fixrd::test::syntheticFont(letters + "\xF0\x9F\x98\x80")};
}

void write(const std::string &folder, const std::string &target, const std::vector<std::string> &seeds) {
    std::string path = folder + "/" + target;
    ::mkdir(path.c_str(), 0755);
    for (size_t i = 0; i < seeds.size(); ++i) {
        std::ofstream out(path + "/seed-" + std::to_string(i + 1), std::ios::binary | std::ios::trunc);
        out.write(seeds[i].data(), static_cast<std::streamsize>(seeds[i].size()));
        if (!out.flush())
            throw std::runtime_error("cannot write " + path);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-fuzz-seeds FOLDER\n");
        return 2;
    }
    try {
        std::string folder = argv[1];
        ::mkdir(folder.c_str(), 0755);
        write(folder, "package", packages());
        write(folder, "page", pages());
        write(folder, "font", fonts());
        write(folder, "attributes", {"1,0,0,1,0,0", "0.5,0.25,-0.75,2,1e3,-4.5", "1,2,3", " 1 , 2,3,4,5,6,7",
                                     "(1:2)36,50.5,1,2;(2:1)45;;,,,;12", "(3)44,-1e308;(0:0)0,nan,inf", "1,0,0,1,,6"});
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make-fuzz-seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
