// A package that is no file of its own (bytes in memory, a pipe) made into
// one, since the container reader opens a package by its path.  The copy is
// a memory file reached through /proc/PID/fd where the system has them,
// else a private temporary file below TMPDIR; either goes with the object.
#pragma once

#include "TemporaryFolder.h"

#include <cstddef>
#include <string>

namespace fixrd::host {

class SpooledInput {
public:
    SpooledInput() = default;
    ~SpooledInput();
    SpooledInput(const SpooledInput &) = delete;
    SpooledInput &operator=(const SpooledInput &) = delete;

    // Copies the bytes, or everything `descriptor` gives until its end.
    // False with the cause in `error` when no copy could be made, or when
    // a read that a signal cut short finds `stop` true.
    bool fromBytes(const void *bytes, size_t size, std::string &error);
    bool fromDescriptor(int descriptor, std::string &error, bool (*stop)() = nullptr);

    // Where the copy is; empty before one was made.
    const std::string &path() const { return path_; }

    // The folder a copy on disk goes in, asked for only when no memory file
    // can be had; empty, or without this, TMPDIR.
    void placeCopiesIn(FolderSource source) { folder_ = std::move(source); }

private:
    bool create(std::string &error);
    bool append(const char *bytes, size_t size, std::string &error);
    void discard();

    FolderSource folder_;
    int fd_ = -1;
    std::string path_;
    bool named_ = false;   // a file in a folder, removed by name at the end
};

} // namespace fixrd::host
