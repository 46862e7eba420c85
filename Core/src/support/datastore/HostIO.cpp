#include "support/datastore/HostIO.h"

#include "support/except/VantrelError.h"

#include <stdexcept>

namespace vt::datastore {

void ReleaseIO::operator()(IOObj *io) const noexcept { releaseQuietly(io); }

IOObj *checkedSource(IOObj *io) {
    if (io == nullptr || io->open == nullptr)
        throw std::invalid_argument("pIOobj");
    return io;
}

void releaseQuietly(IOObj *io) noexcept {
    // Host callbacks may be C++ underneath; nothing may escape a destructor.
    try {
        if (io != nullptr && io->release != nullptr)
            io->release(io);
    } catch (...) {
    }
}

void closeQuietly(IOObj *io) noexcept {
    try {
        if (io != nullptr && io->close != nullptr)
            io->close(io);
    } catch (...) {
    }
}

void openOrThrow(IOObj *io) {
    if (io->open == nullptr || io->open(io) == 0)
        throw except::general_error();
}

void closeOrThrow(IOObj *io) {
    if (io->close == nullptr || io->close(io) == 0)
        throw except::general_error();
}

void seekOrThrow(IOObj *io, int64_t offset, int origin) {
    if (io->seek == nullptr || io->seek(io, offset, origin) == 0)
        throw except::general_error();
}

uint32_t tellOrThrow(IOObj *io) {
    if (io->tell == nullptr)
        throw except::general_error();
    int64_t position = io->tell(io);
    // A wrapped position would reopen the object somewhere else.
    if (position < 0 || position > int64_t{UINT32_MAX})
        throw except::general_error();
    return static_cast<uint32_t>(position);
}

uint32_t currentPosition(IOObj *io) {
    if (io->tell == nullptr)
        throw except::general_error();
    bool openedHere = false;
    int64_t position = io->tell(io);
    if (position < 0) {
        // Some hosts know the position only while the object is open.
        openOrThrow(io);
        openedHere = true;
        position = io->tell(io);
        if (position < 0)
            position = 0;
    }
    if (openedHere)
        closeOrThrow(io);
    if (position > int64_t{UINT32_MAX})
        throw except::general_error();
    return static_cast<uint32_t>(position);
}

OwnedIO duplicateIO(HostServices *host, IOObj *io) {
    if (host->deriveIO == nullptr)
        throw except::general_error();
    OwnedIO duplicate(host->deriveIO(host, io));
    if (duplicate == nullptr || duplicate->open == nullptr)
        throw except::general_error();
    return duplicate;
}

OwnedIO temporaryIO(HostServices *host, const char *mode, uint32_t flag) {
    if (host->openIOEx == nullptr)
        throw except::general_error();
    OwnedIO temporary(host->openIOEx(host, nullptr, mode, flag));
    if (temporary == nullptr)
        throw except::create_tempfile_error();
    return temporary;
}

OwnedIO pathIO(HostServices *host, const char *path, const char *mode) {
    if (host->openIO == nullptr)
        throw except::general_error();
    OwnedIO file(host->openIO(host, path, mode));
    if (file == nullptr)
        throw except::general_error();
    return file;
}

OwnedIO pathIOEx(HostServices *host, const char *path, const char *mode, uint32_t flag) {
    if (host->openIOEx == nullptr)
        throw except::general_error();
    OwnedIO file(host->openIOEx(host, path, mode, flag));
    if (file == nullptr)
        throw except::general_error();
    return file;
}

} // namespace vt::datastore
