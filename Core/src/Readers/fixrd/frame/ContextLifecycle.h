// Creation and destruction of a DocContext.
#pragma once

#include "fonts/FontCache.h"

struct DocContext;
struct HostServices;

namespace fixrd {

// Null when the module's own allocator has no room for the record.  Throws
// std::runtime_error "memory" (working block refused), "Memory" (no font
// cache) or FontError (FreeType would not start), having given back all it took.
DocContext *createContext(HostServices *host, FontCache::FreeTypeInit init = FT_Init_FreeType);

// Releases everything the context owns, then the record.
void destroyContext(DocContext *context);

} // namespace fixrd
