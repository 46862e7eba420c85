// Turning an extracted font part into a file FreeType can open by path.
#pragma once

#include "support/datastore/HostIO.h"
#include "support/datastore/MutableDataStore.h"
#include "support/memory/LargeBuffer.h"

#include <memory>

#include <string>

namespace fixrd {

// Reads the whole part out of `part` into `room` (kept by the caller from
// font to font, grown as needed), restores it when the FontUri names an
// obfuscated font, and writes it into a new temporary IO object of the host,
// which is returned open.  Throws FontError "Could not read font file" or
// "Did not deobfuscate font file", vt::except::create_tempfile_error when the
// host has no temporary file, and what the data store throws.
vt::datastore::OwnedIO readFontPart(vt::datastore::MutableDataStore &part, const std::string &fontUri,
                                    HostServices *host, std::unique_ptr<vt::memory::LargeBuffer> &room);

} // namespace fixrd
