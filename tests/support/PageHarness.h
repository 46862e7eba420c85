// Runs page markup through the page handlers of a fresh, opened context and
// shows the records it wrote, so page tests read as the page they describe.
#pragma once

#include "support/Packages.h"
#include "support/TestHost.h"

#include "fonts/FontCache.h"

#include <string>

namespace fixrd::test {

constexpr const char *kTestFont = "/Resources/F.ttf";

class PageHarness : public HostTest {
protected:
    ContextPtr context;

    void SetUp() override;
    void TearDown() override;

    // Parses body inside a FixedPage of the XPS namespace; the parse status.
    int32_t parseBody(const std::string &body);
    // Every record written so far, all chunks in order.
    std::string records() const;

    // Enters kTestFont: units per em 1000, every character of `characters`
    // with the given metrics.
    void addFont(const std::u32string &characters, int32_t bearingX, int32_t width, int32_t advance,
                 uint16_t unitsPerEm = 1000);
};

// A Glyphs element in kTestFont at em size 10.
std::string glyphs(double x, double y, const std::string &text, const std::string &indices = "",
                   const std::string &extra = "");

} // namespace fixrd::test
