#include "fonts/FontTestSupport.h"
#include "support/PackageBuilder.h"
#include "support/PageHarness.h"

#include "RecordStream.h"
#include "frame/ReaderEntry.h"

namespace fixrd::test {
namespace {

using EmbeddedFonts = FontTest;

// Whole documents through the real container companion: the fonts come out
// of the zip, and the word gaps come from their metrics.
TEST_F(EmbeddedFonts, IndicesLeavingAWordGapCutTheRunWithASpace) {
    std::string font = dejaVu();
    std::string obfuscatedUri = std::string("/Resources/") + kGuid + ".odttf";
    // 'b' is 5.8 wide in ink at em 10; an advance of a whole em leaves a word gap.
    std::string body = glyphs(10, 10, "abcd", ";,100") + glyphs(10, 30, "abcd", ";,60") +
                       "<Glyphs FontUri=\"" + obfuscatedUri +
                       "\" FontRenderingEmSize=\"10\" OriginX=\"10\" OriginY=\"50\" UnicodeString=\"efgh\" "
                       "Indices=\";,100\"/>" +
                       "<Glyphs FontUri=\"/Resources/None.ttf\" FontRenderingEmSize=\"10\" OriginX=\"10\" "
                       "OriginY=\"70\" UnicodeString=\"ijkl\" Indices=\";,100\"/>";
    PackageBuilder package = PackageBuilder::document({markup::page(body)});
    package.add("Resources/F.ttf", font).add(obfuscatedUri.substr(1), obfuscated(font));
    TempFile file(package.bytes());
    IOObj *input = host.openInput(file.path());
    ASSERT_EQ(xpsInitDoc(context.get(), nullptr, nullptr, input), 0u);
    input->release(input);

    std::string records;
    char buffer[5031];
    uint32_t count = 0, completion = 0;
    do {
        ASSERT_EQ(xpsFillBuffer(context.get(), buffer, &count, &completion), 0u);
        records.append(buffer, count);
    } while (completion != 100);
    std::string text;
    ASSERT_TRUE(host::appendPlainText(records, text));
    // An unloadable font costs only the geometry: its run stays whole.
    EXPECT_EQ(text, "ab cd\nabcd\nef gh\nijkl");
}

// A FontUri relative to its page names no part as written; resolved against
// the page's own name it does.
TEST_F(EmbeddedFonts, FontNamedRelativeToItsPageIsFound) {
    auto run = [](const std::string &uri, double y) {
        return "<Glyphs FontUri=\"" + uri + "\" FontRenderingEmSize=\"10\" OriginX=\"10\" OriginY=\"" +
               std::to_string(y) + "\" UnicodeString=\"abcd\" Indices=\";,100\"/>";
    };
    std::string body = run("../Fonts/F.ttf", 10) + run("./../../../../Documents/1/Fonts/F.ttf", 20) +
                       run("../Missing.ttf", 30);
    PackageBuilder package = PackageBuilder::document({markup::page(body)});
    package.add("Documents/1/Fonts/F.ttf", dejaVu());
    TempFile file(package.bytes());
    IOObj *input = host.openInput(file.path());
    ASSERT_EQ(xpsInitDoc(context.get(), nullptr, nullptr, input), 0u);
    input->release(input);
    std::string records;
    char buffer[5031];
    uint32_t count = 0, completion = 0;
    do {
        ASSERT_EQ(xpsFillBuffer(context.get(), buffer, &count, &completion), 0u);
        records.append(buffer, count);
    } while (completion != 100);
    std::string text;
    ASSERT_TRUE(host::appendPlainText(records, text));
    EXPECT_EQ(text, "ab cd\nab cd\nabcd");
    EXPECT_THROW(context->fonts->unitsPerEm("../Missing.ttf"), FontError);
}

} // namespace
} // namespace fixrd::test
