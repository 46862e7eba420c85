// Writes each document's text to its output file so that the file is either
// absent or complete: the bytes go to a temporary file in the target folder
// (.NAME.xpstext-tmp.XXXXXX), which is renamed over NAME once written and
// closed.  A file that is one of the run's inputs is never replaced.
#pragma once

#include "InputList.h"

#include <sys/types.h>

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>

namespace xpstext {

class OutputWriter;

// One output file being written: its bytes go to the temporary file as they
// come; commit() renames it over the target.  Destroyed uncommitted, the
// temporary file goes and the target is untouched.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // False with the cause in `error`.
    bool open(OutputWriter &writer, const std::string &path, std::string &error);
    bool isOpen() const { return fd_ >= 0; }
    // A failed write is remembered and reported by commit().
    void append(std::string_view content);
    bool commit(std::string &error);

private:
    void discard();

    OutputWriter *writer_ = nullptr;
    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    int writeError_ = 0;
};

class OutputWriter {
public:
    // `mode` is the permission new files get (0666 less the umask).
    OutputWriter(const InputList &inputs, mode_t mode) : inputs_(inputs), mode_(mode) {}

    // Safe to call from several threads.  False with the cause in `error`.
    bool write(const std::string &path, std::string_view content, std::string &error);

    // Deletes the temporary files being written and lets none of them be
    // renamed: an interrupted run leaves no file behind that it did not finish.
    void abandon();

private:
    friend class OutputFile;

    const InputList &inputs_;
    mode_t mode_;
    std::mutex mutex_;
    std::unordered_set<std::string> temporaries_;
    bool abandoned_ = false;
};

// The temporary name for `path`: hidden, in the same folder, within the
// length a file name may have.
std::string temporaryPattern(const std::string &path);

} // namespace xpstext
