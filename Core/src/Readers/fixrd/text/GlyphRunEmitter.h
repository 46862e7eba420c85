// Turns the Glyphs element just ended into output records: a line break or
// a space against the run before, then the text, cut where the advances of
// Indices leave a word gap that the glyph metrics show.
#pragma once

#include "page/Geometry.h"

struct DocContext;

namespace fixrd {

// context->run.origin must already be in page space.  Writes the ink end and
// the advance end of the run's last glyph into the two points.  Throws
// std::bad_alloc when no chunk room can be had (nothing of that record is
// written) and std::runtime_error for text that is not UTF-8.
void emitGlyphRun(DocContext *context, Point &previousRunEnd, Point &previousRunAdvanceEnd);

} // namespace fixrd
