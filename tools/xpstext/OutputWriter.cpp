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

bool OutputWriter::write(const std::string &path, std::string_view content, std::string &error) {
    std::filesystem::path target(path);
    std::error_code made;
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), made);
    if (made) {
        error = "cannot create the folder " + target.parent_path().string() + ": " + made.message();
        return false;
    }
    struct stat existing;
    if (::lstat(path.c_str(), &existing) == 0 && inputs_.isInputFile({existing.st_dev, existing.st_ino})) {
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
        std::lock_guard<std::mutex> lock(mutex_);
        temporaries_.insert(temporary);
    }
    bool written = ::fchmod(fd, mode_) == 0 && writeAll(fd, content);
    int writeError = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        writeError = errno;
    }

    std::lock_guard<std::mutex> lock(mutex_);
    temporaries_.erase(temporary);
    if (abandoned_ || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        int renameError = errno;
        ::unlink(temporary.c_str());
        if (abandoned_)
            error = "the run was interrupted";
        else
            error = "cannot write " + path + ": " + reason(written ? renameError : writeError);
        return false;
    }
    return true;
}

void OutputWriter::abandon() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string &temporary : temporaries_)
        ::unlink(temporary.c_str());
    temporaries_.clear();
    abandoned_ = true;
}

} // namespace xpstext
