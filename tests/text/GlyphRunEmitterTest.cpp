#include "support/PageHarness.h"

#include "text/Utf8.h"
#include "text/WordGap.h"

#include <cmath>

namespace fixrd::test {
namespace {

// Em size 10 and 1000 units per em throughout: the em is 10, em/2 is 5 and
// em/4.7 is about 2.12766.
using GlyphRunEmitter = PageHarness;

TEST_F(GlyphRunEmitter, GapInsideARunAgainstInkAndNaturalSpacing) {
    addFont(U"ab", 50, 400, 500);   // ink right 4.5, natural spacing 0.5
    ASSERT_EQ(parseBody(glyphs(10, 10, "ab", ",50")), 0);    // gap 0.5
    ASSERT_EQ(parseBody(glyphs(10, 20, "ab", ",70")), 0);    // gap 2.5: over em/4.7 and 1.5 x natural
    ASSERT_EQ(parseBody(glyphs(10, 30, "ab", ",100")), 0);   // gap 5.5
    EXPECT_EQ(described(), "[ab]/[a][ ][b]/[a][ ][b]");
}

TEST_F(GlyphRunEmitter, NaturalSpacingMustBeExceededStrictlyBelowHalfAnEm) {
    addFont(U"ab", 0, 100, 400);   // ink right 1.0, natural spacing 3.0
    ASSERT_EQ(parseBody(glyphs(10, 10, "ab", ",55")), 0);   // gap 4.5 equals 1.5 x 3.0
    ASSERT_EQ(parseBody(glyphs(10, 20, "ab", ",60")), 0);   // gap 5.0: half an em
    EXPECT_EQ(described(), "[ab]/[a][ ][b]");
}

TEST_F(GlyphRunEmitter, RunIsCutWhereTheIndicesLeaveAWordGap) {
    addFont(U"abcde", 0, 300, 400);
    ASSERT_EQ(parseBody(glyphs(10, 10, "abcde", ";,100")), 0);
    std::string expected("\x00\x0B\x00\x00\x00\x02\x00\x00\x00"
                         "ab"
                         "\x00\x0A\x00\x00\x00\x01\x00\x00\x00 "
                         "\x00\x0C\x00\x00\x00\x03\x00\x00\x00"
                         "cde",
                         33);
    EXPECT_EQ(records(), expected);
}

TEST_F(GlyphRunEmitter, MirroredTextFindsAGapAfterEveryGlyphButASpace) {
    addFont(U"abc ", 50, 400, 500);
    std::string mirror = "RenderTransform=\"-1,0,0,1,0,0\"";
    ASSERT_EQ(parseBody(glyphs(10, 10, "abc", ",50;,50;,50", mirror)), 0);
    ASSERT_EQ(parseBody(glyphs(10, 20, "a c", ",50;,50;,50", mirror)), 0);
    EXPECT_EQ(described(), "[a][ ][b][ ][c]/[a][ ][ c]");
}

TEST_F(GlyphRunEmitter, SpaceCharactersAndNonBreakingSpaces) {
    addFont(U"ab \u00A0", 0, 300, 400);
    ASSERT_EQ(parseBody(glyphs(10, 10, "a b", ",100;,100")), 0);   // no test after the space
    ASSERT_EQ(parseBody(glyphs(10, 20, "a\xC2\xA0" "b", ",100;,100")), 0);
    EXPECT_EQ(described(), "[a][ ][ b]/[a][ ][\xC2\xA0][ ][b]");
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

TEST_F(GlyphRunEmitter, LinesAtTheLeftEdgeOfThePageStillBreak) {
    // Every origin has x 0, as some printer drivers write them: no run ever
    // starts previousOrigin, yet each baseline is a line of its own.
    addFont(U"ab", 0, 300, 400);
    ASSERT_EQ(parseBody(glyphs(0, 0, "a") + glyphs(0, 20, "b") + glyphs(0, 20, "a") + glyphs(0, 40, "b")), 0);
    EXPECT_EQ(context->previousOrigin, nullptr);
    EXPECT_EQ(described(), "[a]/[b][a]/[b]");
}

TEST_F(GlyphRunEmitter, RunEndingAtTheOriginCountsAsNoPredecessor) {
    addFont(U"ab", 0, 500, 500);
    ASSERT_EQ(parseBody(glyphs(-5, 0, "a") + glyphs(3, 0, "b")), 0);
    EXPECT_EQ(described(), "[a][b]");
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

TEST_F(GlyphRunEmitter, EmptyTextWithIndicesWritesNothingAndEndsAtItsOrigin) {
    addFont(U"a", 0, 300, 400);
    ASSERT_EQ(parseBody(glyphs(30, 40, "", "5,100")), 0);
    EXPECT_EQ(described(), "");
    EXPECT_EQ(context->previousRunEnd, (Point{30, 40}));
    EXPECT_EQ(context->previousRunAdvanceEnd, (Point{30, 40}));
}

TEST_F(GlyphRunEmitter, UnloadableFontKeepsTheTextWholeAndMovesByIndicesOnly) {
    ASSERT_EQ(parseBody(glyphs(10, 10, "ab", ",100;,100")), 0);
    EXPECT_EQ(context->unitsPerEm, 2048.0);
    EXPECT_EQ(described(), "[ab]");
    EXPECT_EQ(context->previousRunEnd, (Point{30, 10}));
}

TEST_F(GlyphRunEmitter, FontOfZeroUnitsPerEmIsNeverMeasured) {
    addFont(U"ab", 0, 300, 400, 0);
    ASSERT_EQ(parseBody(glyphs(10, 10, "ab", ",100;,100") + glyphs(10, 10, "ab")), 0);
    EXPECT_EQ(described(), "[ab][ab]");
    EXPECT_EQ(context->previousRunEnd, (Point{10, 10}));
}

TEST_F(GlyphRunEmitter, NaNOriginsBreakLinesAndNeverMakeSpaces) {
    addFont(U"ab", 0, 300, 400);
    ASSERT_EQ(parseBody(glyphs(10, 10, "a") + glyphs(10, NAN, "b") + glyphs(10, NAN, "a")), 0);
    EXPECT_EQ(described(), "[a]/[b]/[a]");
}

TEST(WordGap, Thresholds) {
    Point ink{0, 0}, advance{0.5, 0};
    EXPECT_TRUE(isSpaceGap(ink, advance, {5.0, 0}, 10));          // exactly half an em
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
    EXPECT_EQ(utf8CharLength(0x00), 1u);
    EXPECT_EQ(utf8CharLength(0x7F), 1u);
    EXPECT_EQ(utf8CharLength(0x80), 2u);
    EXPECT_EQ(utf8CharLength(0x9F), 2u);
    EXPECT_EQ(utf8CharLength(0xA0), 3u);
    EXPECT_EQ(utf8CharLength(0xB7), 4u);
    EXPECT_EQ(utf8CharLength(0xDF), 2u);
    EXPECT_EQ(utf8CharLength(0xEF), 3u);
    EXPECT_EQ(utf8CharLength(0xF7), 4u);
    for (unsigned byte : {0xB8u, 0xBFu, 0xF8u, 0xFFu}) {
        try {
            utf8CharLength(static_cast<unsigned char>(byte));
            ADD_FAILURE() << byte;
        } catch (const std::runtime_error &e) {
            EXPECT_STREQ(e.what(), "Invalid UTF-8 character detected");
        }
    }
}

} // namespace
} // namespace fixrd::test
