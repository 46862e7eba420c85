// Reading a Glyphs element's attributes into the context's GlyphRun.
#pragma once

#include <expat.h>

#include <cstddef>
#include <string>

struct DocContext;

namespace fixrd {

constexpr size_t kMaxUnicodeStringBytes = 1023;

// Fills context->run from the attributes (which must follow a reset), pushes
// a RenderTransform and counts it against the Glyphs element, and sets
// context->unitsPerEm from the font.  Then applies the completeness checks.
// Throws ReadError or XPSConformanceError.
void readGlyphsAttributes(DocContext *context, const XML_Char **attributes);

// The first 1023 bytes of a UnicodeString value, backed off to the start of
// a character the cut would split, without a leading "{}" escape.
std::string unicodeStringOf(const char *value);
// The same into `text`, replacing what it held.
void assignUnicodeString(std::string &text, const char *value);

} // namespace fixrd
