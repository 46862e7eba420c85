#include "fonts/FontTestSupport.h"
#include "support/PackageBuilder.h"
#include "support/PageHarness.h"

#include "RecordStream.h"
#include "frame/ReaderEntry.h"

namespace fixrd::test {
namespace {

using EmbeddedFonts = FontTest;

// A whole document through the real container companion: the fonts come out
// of the zip, and the word gaps come from their metrics.
TEST_F(EmbeddedFonts, IndicesLeavingAWordGapCutTheRunWithASpace) {
    auto run = [](const std::string &uri, double y, const std::string &text, const std::string &indices = ";,100") {
        return "<Glyphs FontUri=\"" + uri + "\" FontRenderingEmSize=\"10\" OriginX=\"10\" OriginY=\"" + std::to_string(y) +
               "\" UnicodeString=\"" + text + "\" Indices=\"" + indices + "\"/>";
    };
    // 'b' is 5.8 wide in ink at em 10; an advance of a whole em leaves a word gap.
    const std::string obfuscatedUri = std::string("/Resources/") + kGuid + ".odttf";
    std::string body = run(kTestFont, 10, "abcd") + run(kTestFont, 30, "abcd", ";,60") + run(obfuscatedUri, 50, "efgh") +
                       run("/Resources/None.ttf", 70, "ijkl") +
                       // Relative to the page's own name.
                       run("../Fonts/F.ttf", 90, "abcd") + run("./../../../../Documents/1/Fonts/F.ttf", 110, "abcd") +
                       run("../Missing.ttf", 130, "abcd");
    PackageBuilder package = PackageBuilder::document({markup::page(body)});
    package.add("Resources/F.ttf", dejaVu()).add(obfuscatedUri.substr(1), obfuscated(dejaVu()));
    package.add("Documents/1/Fonts/F.ttf", dejaVu());
    TempFile file(package.bytes());
    IOObj *input = host.openInput(file.path());
    ASSERT_EQ(xpsInitDoc(context.get(), nullptr, nullptr, input), 0u);
    input->release(input);

    std::string records, text;
    char buffer[5031];
    uint32_t count = 0, completion = 0;
    do {
        ASSERT_EQ(xpsFillBuffer(context.get(), buffer, &count, &completion), 0u);
        records.append(buffer, count);
    } while (completion != 100);
    ASSERT_TRUE(host::appendPlainText(records, text));
    // An unloadable font costs only the geometry: its run stays whole.
    EXPECT_EQ(text, "ab cd\nabcd\nef gh\nijkl\nab cd\nab cd\nabcd");
    EXPECT_THROW(context->fonts->unitsPerEm("../Missing.ttf"), FontError);
}

} // namespace
} // namespace fixrd::test
