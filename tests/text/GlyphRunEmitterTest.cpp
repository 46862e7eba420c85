#include "support/PageHarness.h"

#include "frame/OutputChunks.h"
#include "text/OutputRecords.h"
#include "text/Utf8.h"
#include "text/WordGap.h"

#include <cmath>

namespace fixrd::test {
namespace {

// Em size 10 and 1000 units per em throughout: the em is 10, em/2 is 5 and
// em/4.7 is about 2.12766.
using GlyphRunEmitter = PageHarness;

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
    // The emitter's shortcut rules out no gap, in either script kind, mirrored or not.
    EXPECT_TRUE(GapThresholds(10).rulesOut(ink, {2.0, 0}));
    for (double em : {10.0, -10.0})
        for (double x : {-11.0, -5.0, -2.2, -0.5, 1.0, 2.2, 5.0, 10.0})
            for (uint32_t c : {U'a', U'\u4E2D'})
                EXPECT_FALSE(GapThresholds(em).rulesOut(ink, {x, 0}) && isSeparatingGap(ink, advance, {x, 0}, em, c, c));
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
