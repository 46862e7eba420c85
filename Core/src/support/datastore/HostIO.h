// Calls on host IO objects that the data stores share.  Every missing
// callback or failed call throws vt::except::general_error, except in the
// quiet variants, which exist for destructors and failure paths.
#pragma once

#include "frame/HostInterfaces.h"

#include <cstdint>
#include <memory>

namespace vt::datastore {

// Releases a record that is not yet, or no longer, held by a store.
struct ReleaseIO {
    void operator()(IOObj *io) const noexcept;
};
using OwnedIO = std::unique_ptr<IOObj, ReleaseIO>;

// A record a store may work on: present and openable.  Throws
// std::invalid_argument "pIOobj" otherwise.
IOObj *checkedSource(IOObj *io);

void releaseQuietly(IOObj *io) noexcept;
void closeQuietly(IOObj *io) noexcept;

void openOrThrow(IOObj *io);
void closeOrThrow(IOObj *io);
void seekOrThrow(IOObj *io, int64_t offset, int origin);
// A position the store can keep: known (not negative) and within 32 bits.
uint32_t tellOrThrow(IOObj *io);

// Where a record that no store wraps yet stands, opening it for the question
// when it is closed; an unknown position counts as 0.
uint32_t currentPosition(IOObj *io);

// A second record over the same object, made by the host.
OwnedIO duplicateIO(HostServices *host, IOObj *io);
// A new temporary file; create_tempfile_error when the host has none.
OwnedIO temporaryIO(HostServices *host, const char *mode, uint32_t flag);
// The file at path, through openIO or openIOEx.
OwnedIO pathIO(HostServices *host, const char *path, const char *mode);
OwnedIO pathIOEx(HostServices *host, const char *path, const char *mode, uint32_t flag);

} // namespace vt::datastore
