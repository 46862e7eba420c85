// Reading one part of the package through the container companion, whole or
// as the interleaved pieces name/[0].piece, name/[1].piece, ...
#pragma once

#include <cstdint>
#include <string>

struct DocContext;
struct IOObj;

namespace fixrd {

// Looks the part up under up to three names (null names are skipped) and
// copies it into a new host IO object stored in *slot, which must be empty.
// 0 with *slot filled: found.  0 with *slot empty: no such part.  6: a
// matched entry is empty or the host gave no IO object; 2: no memory for a
// piece; 15: no IO object for a pieced part; other: the container's status.
// An IO object already made stays in *slot for the caller to release.
// When matchedName is given it receives the name the part was found under.
int32_t extractPart(DocContext *context, const char *first, const char *second, const char *third,
                    IOObj **slot, std::string *matchedName = nullptr);

// Whether the package holds a part named `name`, whole or in pieces.
bool hasPart(DocContext *context, const std::string &name);

} // namespace fixrd
