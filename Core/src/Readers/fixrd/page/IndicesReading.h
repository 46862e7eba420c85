// The Indices attribute: entries separated by ";", each an optional cluster
// "(chars:glyphs)" then up to four comma-separated fields.  Never fails:
// malformed parts read as zeros or defaults.
#pragma once

#include "page/GlyphRun.h"

#include <string_view>
#include <vector>

namespace fixrd {

std::vector<GlyphIndexEntry> readIndices(std::string_view value);

} // namespace fixrd
