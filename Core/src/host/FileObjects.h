// The host's IO objects: IOObj records over files.  Objects made without a
// name get a new file in a private temporary directory (mode 0700), deleted
// when the object is released; the directory goes with this store.
#pragma once

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
    // IO objects not yet released.
    int64_t live() const { return live_.load(); }
    // Temporary files still on disk.
    int64_t temporaryFiles() const { return temporaries_.load(); }
    // Bytes in temporary files now, and the most there ever were at once.
    int64_t temporaryBytes() const { return temporaryBytes_.load(); }
    int64_t peakTemporaryBytes() const { return peakTemporaryBytes_.load(); }

    // A write that would take the temporary files over this many bytes
    // fails, so that one document cannot fill the disk.
    static constexpr int64_t kDefaultTemporaryBudget = int64_t{2} << 30;
    void setTemporaryBudget(int64_t bytes) { temporaryBudget_ = bytes; }

    // Test hooks: refuse new temporary files or named files.
    void refuseTemporaryFiles(bool refuse) { refuseTemporary_ = refuse; }
    void refuseNamedFiles(bool refuse) { refuseNamed_ = refuse; }

private:
    friend struct FileObject;
    IOObj *make(const std::string &path, const char *mode, bool temporary);
    // Books `growth` more bytes of temporary files; false when over budget.
    bool reserveTemporary(int64_t growth);

    std::mutex mutex_;
    std::string directory_;
    uint64_t counter_ = 0;
    std::atomic<int64_t> live_{0};
    std::atomic<int64_t> temporaries_{0};
    std::atomic<int64_t> temporaryBytes_{0};
    std::atomic<int64_t> peakTemporaryBytes_{0};
    int64_t temporaryBudget_ = kDefaultTemporaryBudget;
    bool refuseTemporary_ = false;
    bool refuseNamed_ = false;
};

} // namespace fixrd::host
