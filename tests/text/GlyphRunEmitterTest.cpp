#include "support/PageHarness.h"

#include "frame/OutputChunks.h"
#include "text/OutputRecords.h"
#include "text/Utf8.h"
#include "text/WordGap.h"

#include <cmath>
#include <optional>

namespace fixrd::test {
namespace {

// Em size 10 and 1000 units per em throughout: the em is 10, em/2 is 5 and
// em/4.7 is about 2.12766.
using GlyphRunEmitter = PageHarness;

TEST_F(GlyphRunEmitter, WordsAndLinesFromTheGeometry) {
    const std::string mirror = "RenderTransform=\"-1,0,0,1,0,0\"";
    const struct {
        std::u32string characters;   // none: the font cannot be loaded
        int32_t bearingX, width, advance;
        uint16_t unitsPerEm;
        std::string body, expected;
        std::optional<Point> end = std::nullopt;   // previousRunEnd afterwards
    } cases[] = {
        // Ink right 4.5, natural spacing 0.5: gaps 0.5, 2.5 (over em/4.7 and 1.5 x natural), 5.5.
        {U"ab", 50, 400, 500, 1000, glyphs(10, 10, "ab", ",50") + glyphs(10, 20, "ab", ",70") + glyphs(10, 30, "ab", ",100"),
         "[ab]/[a][ ][b]/[a][ ][b]"},
        // Ink right 1.0, natural spacing 3.0: gap 4.5 equals 1.5 x 3.0; gap 5.0 is half an em.
        {U"ab", 0, 100, 400, 1000, glyphs(10, 10, "ab", ",55") + glyphs(10, 20, "ab", ",60"), "[ab]/[a][ ][b]"},
        // Mirrored text finds a gap after every glyph but a space.
        {U"abc ", 50, 400, 500, 1000, glyphs(10, 10, "abc", ",50;,50;,50", mirror) + glyphs(10, 20, "a c", ",50;,50;,50", mirror),
         "[a][ ][b][ ][c]/[a][ ][ c]"},
        // No test after a space character; a no-break space is no space.
        {U"ab \u00A0", 0, 300, 400, 1000, glyphs(10, 10, "a b", ",100;,100") + glyphs(10, 20, "a\xC2\xA0" "b", ",100;,100"),
         "[a][ ][ b]/[a][ ][\xC2\xA0][ ][b]"},
        // Every origin with x 0, as some printer drivers write them: no run
        // starts previousOrigin, yet each baseline is a line of its own.
        {U"ab", 0, 300, 400, 1000, glyphs(0, 0, "a") + glyphs(0, 20, "b") + glyphs(0, 20, "a") + glyphs(0, 40, "b"),
         "[a]/[b][a]/[b]"},
        // A run ending at the origin counts as no predecessor.
        {U"ab", 0, 500, 500, 1000, glyphs(-5, 0, "a") + glyphs(3, 0, "b"), "[a][b]"},
        {U"ab", 0, 300, 400, 1000, glyphs(10, 10, "a") + glyphs(10, NAN, "b") + glyphs(10, NAN, "a"), "[a]/[b]/[a]"},
        // An unloadable font keeps the text whole and moves by the Indices only.
        {U"", 0, 0, 0, 1000, glyphs(10, 10, "ab", ",100;,100"), "[ab]", Point{30, 10}},
        // A font of 0 units per em is never measured, mirrored or not.
        {U"ab", 0, 300, 400, 0, glyphs(10, 5, "ab", ",100;,100", mirror) + glyphs(10, 10, "ab", ",100;,100") + glyphs(10, 10, "ab"),
         "[ab]/[ab][ab]", Point{10, 10}},
        {U"a", 0, 300, 400, 1000, glyphs(30, 40, "", "5,100"), "", Point{30, 40}},
    };
    for (const auto &c : cases) {
        context = newContext();
        ASSERT_EQ(initOutputChunks(context.get()), 0);
        if (!c.characters.empty())
            addFont(c.characters, c.bearingX, c.width, c.advance, c.unitsPerEm);
        ASSERT_EQ(parseBody(c.body), 0) << c.body;
        EXPECT_EQ(described(), c.expected) << c.body;
        if (c.end) { EXPECT_EQ(context->previousRunEnd, *c.end) << c.body; }
    }
}

TEST_F(GlyphRunEmitter, RunIsCutWhereTheIndicesLeaveAWordGap) {
    addFont(U"abcde", 0, 300, 400);
    ASSERT_EQ(parseBody(glyphs(10, 10, "abcde", ";,100")), 0);
    EXPECT_EQ(records(), std::string("\x00\x0B\x00\x00\x00\x02\x00\x00\x00" "ab"
                                     "\x00\x0A\x00\x00\x00\x01\x00\x00\x00 "
                                     "\x00\x0C\x00\x00\x00\x03\x00\x00\x00" "cde", 33));
}

TEST_F(GlyphRunEmitter, BetweenRunsOnOneBaseline) {
    addFont(U"ab", 50, 400, 500);   // a run "a" at x 100 ends its ink at 104.5, its advance at 105
    ASSERT_EQ(parseBody(glyphs(100, 200, "a") + glyphs(107, 200, "b")), 0);   // gap 2.5
    ASSERT_EQ(parseBody(glyphs(100, 200, "a") + glyphs(106, 200, "b")), 0);   // gap 1.5
    ASSERT_EQ(parseBody(glyphs(100, 200, "a") + glyphs(90, 200, "b")), 0);    // to the left
    ASSERT_EQ(parseBody(glyphs(100, 200, "a") + glyphs(107, 200.0000001, "b")), 0);
    EXPECT_EQ(context->previousRunEnd, (Point{111.5, 200.0000001}));
    EXPECT_EQ(context->previousRunAdvanceEnd, (Point{112, 200.0000001}));
    // Each "a" also follows the "b" before it on the same baseline: only the
    // last one, 5.5 right of the ink of a "b" at 90, is a word away.
    EXPECT_EQ(described(), "[a][ ][b][a][b][a][b][ ][a]/[b]");
}

TEST_F(GlyphRunEmitter, ClusterCountsDecideWhichCharactersTakeAnEntry) {
    addFont(U"abc", 0, 300, 400);   // font advance 4
    auto advanceEnd = [&](const std::string &text, const std::string &indices) {
        EXPECT_EQ(parseBody(glyphs(10, 10, text, indices)), 0);
        return context->previousRunAdvanceEnd.x - 10;
    };
    EXPECT_DOUBLE_EQ(advanceEnd("abc", "(2:1),80;,50"), 4 + 4 + 5);
    EXPECT_DOUBLE_EQ(advanceEnd("ab", "(0),20;,30"), 2 + 3);
    EXPECT_DOUBLE_EQ(advanceEnd("abc", "(-1),20"), 2 + 2 + 2);
    EXPECT_DOUBLE_EQ(advanceEnd("ab", ",10;,10;,10;,10"), 1 + 1);
    EXPECT_DOUBLE_EQ(advanceEnd("abc", ",10"), 1 + 4 + 4);
    EXPECT_DOUBLE_EQ(advanceEnd("abc", ";;"), 4 + 4 + 4);
    // A four-byte character outside the font is one unit and has no metrics.
    EXPECT_DOUBLE_EQ(advanceEnd("\xF0\x9F\x98\x80" "b", "(1),20;,30"), 2 + 3);
    EXPECT_DOUBLE_EQ(advanceEnd("\xF0\x9F\x98\x80" "b", ""), 0 + 4);
}

TEST(WordGap, Thresholds) {
    Point ink{0, 0}, advance{0.5, 0};
    // Half an em is a word gap even where natural spacing (4 here) would not make one.
    EXPECT_TRUE(isSpaceGap(ink, {4.0, 0}, {5.0, 0}, 10));
    EXPECT_FALSE(isSpaceGap(ink, {4.0, 0}, {5.0 - 1e-9, 0}, 10));
    EXPECT_FALSE(isSpaceGap(ink, advance, {10 / 4.7 - 1e-9, 0}, 10));
    EXPECT_TRUE(isSpaceGap(ink, advance, {10 / 4.7, 0}, 10));
    EXPECT_FALSE(isSpaceGap(ink, {2.0, 0}, {3.0, 0}, 10));        // 3.0 = 1.5 x 2.0
    EXPECT_TRUE(isSpaceGap(ink, {2.0, 0}, {3.0001, 0}, 10));
    EXPECT_FALSE(isSpaceGap(ink, advance, {4, 1e-12}, 10));       // another baseline
    EXPECT_FALSE(isSpaceGap(ink, advance, {NAN, 0}, 10));
    EXPECT_FALSE(isSpaceGap(ink, advance, {-1, 0}, 10));
    EXPECT_TRUE(isSpaceGap(ink, advance, {-0.5, 0}, -10));        // mirrored
}

TEST(Utf8, LengthFromTheFirstByteAlone) {
    for (auto [byte, length] : {std::pair{0x00, 1}, {0x7F, 1}, {0x80, 2}, {0x9F, 2}, {0xA0, 3}, {0xB7, 4}, {0xDF, 2},
                                {0xEF, 3}, {0xF7, 4}, {0xB8, 0}, {0xBF, 0}, {0xF8, 0}, {0xFF, 0}}) {
        try {
            EXPECT_EQ(utf8CharLength(static_cast<unsigned char>(byte)), static_cast<size_t>(length)) << byte;
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(length, 0) << byte;
            EXPECT_STREQ(e.what(), "Invalid UTF-8 character detected");
        }
    }
}

TEST_F(GlyphRunEmitter, RecordsAreByteExact) {
    std::string longest(1023, 'a');
    longest[1022] = 'Z';
    ASSERT_EQ(writeTextRecord(context.get(), "\xC3\xA9", 2), 0);
    ASSERT_EQ(writeLineBreakRecord(context.get()), 0);
    ASSERT_EQ(writeSpaceRecord(context.get()), 0);
    ASSERT_EQ(writeTextRecord(context.get(), longest.data(), longest.size()), 0);
    EXPECT_EQ(records(), std::string("\x00\x0B\x00\x00\x00\x02\x00\x00\x00\xC3\xA9"   // é
                                     "\x0E\x05\x00\x00\x00"                         // line break
                                     "\x00\x0A\x00\x00\x00\x01\x00\x00\x00\x20"     // space
                                     "\x00\x08\x04\x00\x00\xFF\x03\x00\x00", 35) + longest);
}

} // namespace
} // namespace fixrd::test
