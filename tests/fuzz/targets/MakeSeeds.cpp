// Writes the seed corpora of the fuzz targets with the tests' package
// builder: small documents of every shape the reader knows, a few damaged
// ones, pages, fonts and attribute values.
//
// Usage: make-fuzz-seeds FOLDER   (writes FOLDER/package, page, font, attributes)
#include "support/PackageBuilder.h"
#include "support/SyntheticFont.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

using fixrd::test::Compression;
using fixrd::test::PackageBuilder;
namespace markup = fixrd::test::markup;

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
        markup::page(glyphs(0, 0, "On the axes") + glyphs(0, 50, "Left edge"), fixrd::test::kOpenXpsNamespace),
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?><FixedPage xmlns=\"" + std::string(fixrd::test::kXpsNamespace) +
            "\" Width=\"816\" Height=\"1056\">" + glyphs(10, 10, "caf\xE9 \x80 \x93quoted\x94") + "</FixedPage>",
        "<?xml version=\"1.0\" encoding=\"shift_jis\"?><FixedPage xmlns=\"" + std::string(fixrd::test::kXpsNamespace) +
            "\">" + glyphs(10, 10, "\x93\xFA\x96\x7B\x8C\xEA") + "</FixedPage>",
        markup::page("<mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"/>"),
    };
}

std::vector<std::string> packages() {
    const std::string page = pages()[0];
    std::vector<std::string> out;
    out.push_back(PackageBuilder::document({page, pages()[1]}).bytes());
    out.push_back(PackageBuilder::document({pages()[3]}, fixrd::test::kOpenXpsNamespace).bytes());
    out.push_back(PackageBuilder()
                      .add("[Content_Types].xml", markup::contentTypes(), Compression::Store)
                      .add("FixedDocumentSequence.fdseq", markup::sequence({"/Documents/1/FixedDocument.fdoc"}), Compression::Store)
                      .add("Documents/1/FixedDocument.fdoc", markup::document({"Pages/1.fpage"}), Compression::Store)
                      .addPieces("Documents/1/Pages/1.fpage", {page.substr(0, 40), page.substr(40, 60), page.substr(100)}, true)
                      .bytes());
    out.push_back(PackageBuilder()
                      .add("[Content_Types].xml", markup::contentTypes(""))
                      .add("FixedDocSeq.fdseq", markup::sequence({"Doc.fdoc", "/Documents/1/FixedDocument.fdoc"}))
                      .add("Documents/1/FixedDocument.fdoc", markup::document({"/Documents/1/Pages/1.fpage", "Pages/2.fpage"}))
                      .add("Documents/1/Pages/1.fpage", page, Compression::Store)
                      .add("Documents/1/Pages/2.fpage", pages()[4], Compression::Store)
                      .bytes());
    // Two documents in folders of their own, pages named relative to each.
    out.push_back(PackageBuilder()
                      .add("[Content_Types].xml", markup::contentTypes())
                      .add("FixedDocumentSequence.fdseq", markup::sequence({"/Docs/A.fdoc", "/Gone.fdoc", "/Documents/2/B.fdoc"}))
                      .add("Docs/A.fdoc", markup::document({"../Pages/a.fpage", "./b.fpage"}))
                      .add("Pages/a.fpage", page)
                      .add("Docs/b.fpage", pages()[4])
                      .add("Documents/2/B.fdoc", markup::document({"Pages/1.fpage", "/Pages/a.fpage"}))
                      .add("Documents/2/Pages/1.fpage", pages()[1])
                      .bytes());
    out.push_back(PackageBuilder::document({page}).corruptCrc("Documents/1/Pages/1.fpage").bytes());
    out.push_back(PackageBuilder::document({page}).claimUncompressedSize("Documents/1/Pages/1.fpage", 20).bytes());
    out.push_back(PackageBuilder::document({page}).markEncrypted("[Content_Types].xml").bytes());
    out.push_back(PackageBuilder::document({pages()[5], pages()[6]}).setCompressionMethod("Documents/1/Pages/2.fpage", 12).bytes());
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
