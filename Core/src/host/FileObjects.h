// The host's IO objects: IOObj records over files.  Objects made without a
// name get a new temporary file: a memory file while it is small, reached by
// the /proc path of its descriptor, moved to a file in a private temporary
// directory (mode 0700) when it grows large.  It goes when the last object
// over it is released; the directory goes with this store.
#pragma once

#include "TemporaryFolder.h"
#include "frame/HostInterfaces.h"

#include <atomic>
#include <mutex>
#include <string>

namespace fixrd::host {

class FileObjects {
public:
    FileObjects() = default;
    ~FileObjects();
    FileObjects(const FileObjects &) = delete;
    FileObjects &operator=(const FileObjects &) = delete;

    // Over the file `name`, or a new temporary file when name is null.
    // Modes as fopen's: "r" reads, "w" truncates, "a" appends, "+" adds the
    // other direction.  Null when the file cannot be had.
    IOObj *open(const char *name, const char *mode);
    // A second object over the same file, at the same position once opened.
    IOObj *derive(IOObj *io);

    // Where temporary files go; made on first use.  Empty when it cannot be made.
    std::string temporaryDirectory();
    // The folder that directory is made in, asked for when it is first
    // needed (most documents never need it); empty, or without this, TMPDIR.
    void placeTemporariesIn(FolderSource source) { base_ = std::move(source); }
    // IO objects not yet released.
    int64_t live() const { return live_.load(); }
    // Temporary files still held.
    int64_t temporaryFiles() const { return temporaries_.load(); }
    // Bytes of temporary files held in memory now.
    int64_t memoryBytes() const { return memoryBytes_.load(); }
    // Bytes in temporary files now, and the most there ever were at once.
    int64_t temporaryBytes() const { return temporaryBytes_.load(); }
    int64_t peakTemporaryBytes() const { return peakTemporaryBytes_.load(); }

    // A write that would take the temporary files over this many bytes
    // fails, so that one document cannot fill the disk.
    static constexpr int64_t kDefaultTemporaryBudget = int64_t{2} << 30;
    void setTemporaryBudget(int64_t bytes) { temporaryBudget_ = bytes; }
    // A temporary file stays in memory while it holds at most `perFile` bytes
    // and all of them together at most `total`; past that it moves to disk.
    static constexpr int64_t kMemoryFileLimit = int64_t{16} << 20;
    static constexpr int64_t kMemoryFilesLimit = int64_t{64} << 20;
    void setMemoryLimits(int64_t perFile, int64_t total) { memoryFileLimit_ = perFile, memoryFilesLimit_ = total; }

    // Test hooks: refuse new temporary files or named files.
    void refuseTemporaryFiles(bool refuse) { refuseTemporary_ = refuse; }
    void refuseNamedFiles(bool refuse) { refuseNamed_ = refuse; }

private:
    friend struct FileObject;
    friend struct TemporaryBody;
    IOObj *make(const std::string &path, const char *mode, bool temporary);
    // A new temporary object over a memory file; null where none can be had.
    IOObj *makeInMemory(const char *mode);
    // A new file in the temporary directory, already unlinked; -1 on failure.
    int unnamedDiskFile();
    // Books `growth` more bytes of temporary files; false when over budget.
    bool reserveTemporary(int64_t growth);

    std::mutex mutex_;
    FolderSource base_;
    std::string directory_;
    uint64_t counter_ = 0;
    std::atomic<int64_t> live_{0};
    std::atomic<int64_t> temporaries_{0};
    std::atomic<int64_t> temporaryBytes_{0};
    std::atomic<int64_t> peakTemporaryBytes_{0};
    std::atomic<int64_t> memoryBytes_{0};
    std::atomic<int64_t> memoryFiles_{0};
    int64_t memoryFileLimit_ = kMemoryFileLimit;
    int64_t memoryFilesLimit_ = kMemoryFilesLimit;
    int64_t temporaryBudget_ = kDefaultTemporaryBudget;
    bool refuseTemporary_ = false;
    bool refuseNamed_ = false;
};

} // namespace fixrd::host
