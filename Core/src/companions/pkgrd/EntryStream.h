// Decompresses one entry block by block into a sink, refusing what a hostile
// package can do: encryption, unknown methods, sizes over the limit, data that
// runs past or stops short of its declared size, bad CRCs.
#pragma once

#include "Container.h"

#include <cstdint>

namespace pkgrd {

// Where an entry's bytes go.
class EntrySink {
public:
    virtual ~EntrySink() = default;
    // Once the entry has passed its checks, with its declared size.
    virtual int32_t begin(uint64_t declaredSize) = 0;
    // Each block, in order; their total never exceeds the declared size.
    virtual int32_t accept(const unsigned char *data, uint32_t count) = 0;
    // Once after a successful begin, whatever happened since.
    virtual int32_t finish() = 0;
};

int32_t streamEntry(Container &container, int32_t index, EntrySink &sink);

} // namespace pkgrd
