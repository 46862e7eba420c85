// Reads and writes that move every byte asked for, past short transfers and
// signals: a pipe or a file may take or give less than asked at a time.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace fixrd::host {

// False at the end of the stream or on an error.
template <class Byte, class Transfer> bool transferAll(int fd, Byte *at, size_t size, Transfer transfer) {
    while (size > 0) {
        ssize_t n = transfer(fd, at, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

inline bool writeAll(int fd, const void *data, size_t size) {
    return transferAll(fd, static_cast<const char *>(data), size, ::write);
}

inline bool readAll(int fd, void *data, size_t size) {
    return transferAll(fd, static_cast<char *>(data), size, ::read);
}

} // namespace fixrd::host
