#include "support/PageHarness.h"

namespace fixrd::test {
namespace {

using PageMarkup = PageHarness;

std::string canvas(const std::string &transform, const std::string &body) {
    return "<Canvas RenderTransform=\"" + transform + "\">" + body + "</Canvas>";
}

TEST_F(PageMarkup, TransformsMapTheOriginAndArePopped) {
    const std::pair<std::string, Point> cases[] = {
        // Canvas B scales by 2, Canvas A inside it moves by (100, 0): innermost first.
        {canvas("2,0,0,2,0,0", canvas("1,0,0,1,100,0", glyphs(10, 20, "A"))), {220, 40}},
        // On one Glyphs, the attribute and the property element both apply: doubled, then moved.
        {"<Glyphs FontUri=\"/F\" FontRenderingEmSize=\"10\" OriginX=\"10\" OriginY=\"20\" UnicodeString=\"A\" "
         "RenderTransform=\"1,0,0,1,5,0\"><Glyphs.RenderTransform><MatrixTransform Matrix=\"2,0,0,2,0,0\"/>"
         "</Glyphs.RenderTransform></Glyphs>", {25, 40}},
        // A MatrixTransform outside any element is ignored.
        {"<FixedPage.Resources><ResourceDictionary><MatrixTransform Matrix=\"9,0,0,9,9,9\"/><MatrixTransform/>"
         "</ResourceDictionary></FixedPage.Resources>" + glyphs(3, 4, "x"), {3, 4}},
    };
    for (const auto &[body, origin] : cases) {
        ASSERT_EQ(parseBody(body), 0) << body;
        EXPECT_EQ(context->run.origin, origin) << body;
        EXPECT_TRUE(context->transforms.empty() && context->pushCounts.empty()) << body;
    }
}

TEST_F(PageMarkup, MatrixTransformActsInsideItsCanvasOnly) {
    std::string body = "<Canvas><Canvas.RenderTransform><MatrixTransform Matrix=\"1,0,0,1,0,100\"/>"
                       "</Canvas.RenderTransform>" +
                       glyphs(1, 1, "in") + "</Canvas>" + glyphs(1, 1, "out") +
                       "<Path><Path.RenderTransform><MatrixTransform Matrix=\"3,0,0,3,0,0\"/></Path.RenderTransform>"
                       "</Path>";
    ASSERT_EQ(parseBody(body), 0);
    EXPECT_EQ(described(), "[in]/[out]");   // the first run stood at y 101
    ASSERT_NE(context->previousOrigin, nullptr);
    EXPECT_EQ(*context->previousOrigin, (Point{1, 101}));
    EXPECT_EQ(context->run.origin, (Point{1, 1}));
    EXPECT_TRUE(context->transforms.empty());
}

TEST_F(PageMarkup, TransformsPastTheDepthLimitAreReadButNotApplied) {
    // 100 canvases, each one unit down: only the first 64 move the run.
    std::string open, close;
    for (int i = 0; i < 100; ++i) {
        open += i % 2 == 0 ? "<Canvas RenderTransform=\"1,0,0,1,0,1\">"
                           : "<Canvas><Canvas.RenderTransform><MatrixTransform Matrix=\"1,0,0,1,0,1\"/>"
                             "</Canvas.RenderTransform>";
        close += "</Canvas>";
    }
    ASSERT_EQ(parseBody(open + glyphs(5, 0, "deep") + close + glyphs(5, 64, "level")), 0);
    EXPECT_EQ(described(), "[deep][level]");   // one baseline: 0 moved by 64
    EXPECT_TRUE(context->transforms.empty());
    EXPECT_TRUE(context->pushCounts.empty());
    // Past the limit a malformed matrix still ends the page.
    EXPECT_EQ(parseBody(open + "<Canvas RenderTransform=\"1,0\"/>" + close), 6);
}

TEST_F(PageMarkup, OpenXpsPagesReadAlikeAndOtherRootsYieldNothing) {
    ASSERT_EQ(parsePage(markup::page(glyphs(1, 1, "open"), kOpenXpsNamespace)), 0);
    std::string canvasRoot = std::string("<Canvas xmlns=\"") + kXpsNamespace + "\">" + glyphs(1, 1, "lost") + "</Canvas>";
    ASSERT_EQ(parsePage(canvasRoot), 0);
    EXPECT_EQ(described(), "[open]");
}

TEST_F(PageMarkup, ForeignElementsAndBrokenGlyphsEndThePage) {
    for (const std::string &body : std::vector<std::string>{
             "<x:Foo xmlns:x=\"urn:vendor\"/>",
             "<Canvas xmlns=\"http://schemas.microsoft.com/xps/2005/06/extra\"/>",
             "<Bare xmlns=\"\"/>",
             "<Canvas><MatrixTransform/></Canvas>",
             "<Canvas RenderTransform=\"1 0 0 1 0 0\"/>",
             "<Canvas RenderTransform=\"{StaticResource T}\"/>",
             "<Glyphs FontUri=\"/F\" FontRenderingEmSize=\"10\" OriginX=\"1\" UnicodeString=\"a\"/>",
             "<Glyphs FontUri=\"/F\" FontRenderingEmSize=\"10\" OriginX=\"abc\" OriginY=\"1\" UnicodeString=\"a\"/>",
         })
        EXPECT_EQ(parseBody(glyphs(1, 1, "kept") + body + glyphs(1, 2, "never")), 6) << body;
    // The Glyphs element missing OriginY was reset and half read before it
    // failed, so the next page's run starts on another line than (1, 0).
    EXPECT_EQ(described(), "[kept][kept][kept][kept][kept][kept][kept]/[kept]");
}

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
