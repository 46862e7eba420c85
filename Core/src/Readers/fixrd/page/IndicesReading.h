// The Indices attribute: entries separated by ";", each an optional cluster
// "(chars:glyphs)" then up to four comma-separated fields.  Never fails:
// malformed parts read as zeros or defaults.
#pragma once

#include "page/GlyphRun.h"

#include <string>
#include <vector>

namespace fixrd {

std::vector<GlyphIndexEntry> readIndices(const std::string &value);

} // namespace fixrd
