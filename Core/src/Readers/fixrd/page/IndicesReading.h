// The Indices attribute: entries separated by ";", each an optional cluster
// "(chars:glyphs)" then up to four comma-separated fields.  Never fails:
// malformed parts read as zeros or defaults.
#pragma once

#include "page/GlyphRun.h"

#include <string_view>
#include <vector>

namespace fixrd {

std::vector<GlyphIndexEntry> readIndices(std::string_view value);
// The same into `entries`, replacing what it held: a run reuses the room the
// one before it took.
void readIndices(std::string_view value, std::vector<GlyphIndexEntry> &entries);

} // namespace fixrd
