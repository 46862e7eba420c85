#include "OutputWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace xpstext {

namespace {

constexpr const char *kTemporaryMarker = ".xpstext-tmp.XXXXXX";
constexpr size_t kNameMax = 255;

std::string reason(int error) { return std::strerror(error); }

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

std::string temporaryPattern(const std::string &path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t room = kNameMax - 1 - std::strlen(kTemporaryMarker);
    if (name.size() > room)
        name.resize(room);
    return folder + "." + name + kTemporaryMarker;
}

OutputFile::~OutputFile() { discard(); }

bool OutputFile::open(OutputWriter &writer, const std::string &path, std::string &error) {
    discard();
    std::filesystem::path target(path);
    std::error_code made;
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), made);
    if (made) {
        error = "cannot create the folder " + target.parent_path().string() + ": " + made.message();
        return false;
    }
    struct stat existing;
    if (::lstat(path.c_str(), &existing) == 0 && writer.inputs_.isInputFile({existing.st_dev, existing.st_ino})) {
        error = "its output " + path + " is one of the inputs; it was not overwritten";
        return false;
    }

    std::string temporary = temporaryPattern(path);
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = "cannot create a file in the folder of " + path + ": " + reason(errno);
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(writer.mutex_);
        writer.temporaries_.insert(temporary);
    }
    writer_ = &writer;
    path_ = path;
    temporary_ = std::move(temporary);
    fd_ = fd;
    writeError_ = ::fchmod(fd, writer.mode_) == 0 ? 0 : errno;
    return true;
}

void OutputFile::append(std::string_view content) {
    if (fd_ >= 0 && writeError_ == 0 && !writeAll(fd_, content))
        writeError_ = errno;
}

bool OutputFile::commit(std::string &error) {
    if (fd_ < 0)
        return false;
    int writeError = writeError_;
    if (::close(fd_) != 0 && writeError == 0)
        writeError = errno;
    fd_ = -1;

    OutputWriter &writer = *writer_;
    std::lock_guard<std::mutex> lock(writer.mutex_);
    writer.temporaries_.erase(temporary_);
    bool written = writeError == 0;
    if (writer.abandoned_ || !written || ::rename(temporary_.c_str(), path_.c_str()) != 0) {
        int renameError = errno;
        ::unlink(temporary_.c_str());
        if (writer.abandoned_)
            error = "the run was interrupted";
        else
            error = "cannot write " + path_ + ": " + reason(written ? renameError : writeError);
        writer_ = nullptr;
        return false;
    }
    writer_ = nullptr;
    return true;
}

void OutputFile::discard() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    std::lock_guard<std::mutex> lock(writer_->mutex_);
    if (writer_->temporaries_.erase(temporary_) != 0)
        ::unlink(temporary_.c_str());
    writer_ = nullptr;
}

bool OutputWriter::write(const std::string &path, std::string_view content, std::string &error) {
    OutputFile file;
    if (!file.open(*this, path, error))
        return false;
    file.append(content);
    return file.commit(error);
}

void OutputWriter::abandon() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string &temporary : temporaries_)
        ::unlink(temporary.c_str());
    temporaries_.clear();
    abandoned_ = true;
}

} // namespace xpstext
