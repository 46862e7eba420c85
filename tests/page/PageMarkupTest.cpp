#include "support/PageHarness.h"

namespace fixrd::test {
namespace {

using PageMarkup = PageHarness;

TEST_F(PageMarkup, PreviousOriginNeedsTwoNonZeroCoordinatesButLinesBreakWithoutIt) {
    ASSERT_EQ(parseBody(glyphs(0, 50, "a") + glyphs(10, 0, "b") + glyphs(10, 60, "c")), 0);
    EXPECT_EQ(context->previousOrigin, nullptr);   // no origin so far had both coordinates
    ASSERT_EQ(parseBody(glyphs(10, 70, "d")), 0);
    ASSERT_NE(context->previousOrigin, nullptr);
    EXPECT_EQ(*context->previousOrigin, (Point{10, 60}));
    // Once it exists, it follows every run, whatever its coordinates.
    ASSERT_EQ(parseBody(glyphs(0, 0, "e") + glyphs(5, 70, "f")), 0);
    EXPECT_EQ(*context->previousOrigin, (Point{0, 0}));
    // Lines still break before it exists: text on an axis is still text on
    // another line.
    EXPECT_EQ(described(), "[a]/[b]/[c]/[d]/[e]/[f]");
}

} // namespace
} // namespace fixrd::test
