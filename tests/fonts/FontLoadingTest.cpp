#include "fonts/FontTestSupport.h"

#include "support/except/VantrelError.h"

namespace fixrd::test {
namespace {

using FontLoading = FontTest;

const std::string kObfuscatedUri = std::string("/Resources/") + kGuid + ".odttf";

// Which fonts fail is a document case; here, that a failure is recorded
// with its cause, and that what failed is not read again.
TEST_F(FontLoading, FailuresAreRecordedOnceWithTheirCause) {
    std::string font = dejaVu();
    package({{"Resources/Text.ttf", "this is not a font at all"},
             {std::string("Resources/") + kGuid + "-short.odttf", obfuscated(font.substr(0, 20))}});
    // The number is FreeType's, whose choice among its errors is its own.
    const std::string notAFont = failure("/Resources/Text.ttf");
    EXPECT_EQ(notAFont.substr(0, 66), "Could not read font face for font at /Resources/Text.ttf [error = ") << notAFont;
    EXPECT_TRUE(notAFont.back() == ']' && notAFont.find("[error = 0]") == std::string::npos) << notAFont;
    EXPECT_EQ(failure(std::string("/Resources/") + kGuid + "-short.odttf"), "Did not deobfuscate font file");
    EXPECT_EQ(failure("/Resources/None.ttf"), "Couldn't get an IO object for font file for font at /Resources/None.ttf");
    int extractions = container.extractCalls;
    for (std::string uri : {"/Resources/Text.ttf", "/Resources/None.ttf"}) {
        EXPECT_EQ(failure(uri), "Font load previously errored for " + uri);
        EXPECT_EQ(glyphFailure(uri, "A"), "Font load previously errored for " + uri);
    }
    EXPECT_EQ(container.extractCalls, extractions) << "a failed font is not read again";
    EXPECT_EQ(fonts().temporaryFiles().size(), 1u) << "only the fonts FreeType was given keep a temporary file";

    // The object a failed extraction made is given back (TearDown counts them).
    container.extractStatus = 7;
    container.entries.push_back({"Resources/Late.ttf", font});
    container.install(context.get());
    EXPECT_EQ(failure("Resources/Late.ttf"), "Couldn't extract font file for font at Resources/Late.ttf");
}

TEST_F(FontLoading, CharactersAreLookedUpByCodePoint) {
    std::string font = dejaVu();
    package({{"Resources/F.ttf", font}, {"Resources/NoMap.ttf", withoutTables(font, {"cmap", "post"})}});
    HostServices *services = host.services();
    services->targetCharset = 7;
    services->conversionFlag = 3;
    EXPECT_EQ(fonts().glyphMetrics("/Resources/F.ttf", {"\xF0\x9F\x98\x80", 4}).horiAdvance, 2135);   // U+1F600
    EXPECT_EQ(fonts().glyphMetrics("/Resources/F.ttf", {"\xC2\xA0", 2}).horiAdvance, 651);
    EXPECT_EQ(glyphFailure("/Resources/F.ttf", "\xE4\xB8\x80"),
              "Unable to find glyph in font /Resources/F.ttf for 0xe4 0xb8 0x80");
    // The lookup without the exception answers the same, a miss included.
    FontEntry &entry = fonts().loadFont("/Resources/F.ttf")->second;
    GlyphMetrics metrics;
    EXPECT_TRUE(fonts().findGlyphMetrics(entry, {"\xC2\xA0", 2}, metrics));
    EXPECT_EQ(metrics.horiAdvance, 651);
    EXPECT_FALSE(fonts().findGlyphMetrics(entry, {"\xE4\xB8\x80", 3}, metrics));
    // A font without a character map loads, and no character is in it.
    EXPECT_EQ(fonts().unitsPerEm("/Resources/NoMap.ttf"), 2048);
    EXPECT_EQ(glyphFailure("/Resources/NoMap.ttf", "A"), "Unable to find glyph in font /Resources/NoMap.ttf for 0x41");
    EXPECT_EQ(glyphFailure("/Resources/NoMap.ttf", "\xC3\xA9"),
              "Unable to find glyph in font /Resources/NoMap.ttf for 0xc3 0xa9");
    EXPECT_EQ(glyphFailure("/Resources/NoMap.ttf", "\xF0\x9F\x98\x80"),
              "Unable to find glyph in font /Resources/NoMap.ttf for 0xf0 0x9f 0x98 0x80");
    EXPECT_EQ(services->targetCharset, 7u);
    EXPECT_EQ(services->conversionFlag, 3u);
}

TEST_F(FontLoading, WalkEndsAtTheLastCodePoint) {
    // A map may reach every 32-bit code; nothing past U+10FFFF can be asked for.
    package({{"Many.ttf", withManyToOneMap(dejaVu(), 0x10FFF0, 0x1100FF, 36)}});
    EXPECT_EQ(fonts().loadFont("Many.ttf")->second.glyphs.size(), 16u);
    EXPECT_EQ(fonts().glyphMetrics("Many.ttf", {"\xF4\x8F\xBF\xBF", 4}).horiAdvance, 1401);   // U+10FFFF is 'A'
}

TEST_F(FontLoading, CharactersMappedInOneDocumentHaveALimit) {
    // A font may map up to the limit; the next one that would go past it
    // fails, and stays failed.
    std::string all = withManyToOneMap(dejaVu(), 0, FontCache::kMaxMappedCharacters - 1, 36);
    package({{"All.ttf", all}, {"F.ttf", dejaVu()}});
    EXPECT_EQ(fonts().loadFont("All.ttf")->second.mapped->codeCount(), FontCache::kMaxMappedCharacters);
    EXPECT_EQ(failure("F.ttf"), "Font at F.ttf maps more characters than one document may hold");
    EXPECT_EQ(failure("F.ttf"), "Font load previously errored for F.ttf");
    EXPECT_EQ(container.extractCalls, 2);
    // A font that goes past the limit alone uses it up for the rest of the document.
    freeContext();
    SetUp();
    package({{"Over.ttf", withManyToOneMap(dejaVu(), 0, 0x10FFFF, 36)}, {"F.ttf", dejaVu()}});
    EXPECT_EQ(failure("Over.ttf"), "Font at Over.ttf maps more characters than one document may hold");
    EXPECT_EQ(failure("F.ttf"), "Font at F.ttf maps more characters than one document may hold");
}

TEST_F(FontLoading, AHostThatRefusesTheFontsFileLeavesTheFontToBeTriedAgain) {
    package({{"Resources/F.ttf", dejaVu()}});
    static IOObj *(*realOpen)(HostServices *, const char *, const char *, uint32_t) = host.services()->openIOEx;
    host.services()->openIOEx = [](HostServices *, const char *, const char *, uint32_t) -> IOObj * { return nullptr; };
    EXPECT_THROW(fonts().unitsPerEm("/Resources/F.ttf"), vt::except::create_tempfile_error);
    EXPECT_TRUE(fonts().temporaryFiles().empty());
    host.services()->openIOEx = realOpen;
    EXPECT_EQ(fonts().unitsPerEm("/Resources/F.ttf"), 2048);
    EXPECT_EQ(container.extractCalls, 2);
}

} // namespace
} // namespace fixrd::test
