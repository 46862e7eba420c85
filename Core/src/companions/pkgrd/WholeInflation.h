// A deflated entry inflated in one piece with libdeflate, two to three
// times as fast as zlib through libzip (the largest share of a batch's
// time).  Only an entry that is sure to come out as the streaming path would
// give it is taken so: its raw data read to its declared end, inflated to
// exactly its declared size, with its declared CRC.  Anything else, damage of
// any kind, is left to the streaming path, which names it.
#pragma once

#include "Container.h"
#include "EntrySinks.h"

#include <zip.h>

#include <cstdint>

namespace pkgrd {

// Entries larger than this, either way, are streamed: whole, they would be
// held in memory.
constexpr uint64_t kWholeInflationLimit = uint64_t{16} << 20;

// True when the entry went to the sink this way, its result then in
// `status`; the sink then had the calls streaming would have made, in
// blocks of kBlockSize.  False when nothing was handed to the sink.
bool inflateWhole(Container &container, zip_uint64_t index, const zip_stat_t &stat, EntrySink &sink,
                  int32_t &status);

} // namespace pkgrd
