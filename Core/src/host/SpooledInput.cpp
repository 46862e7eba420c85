#include "SpooledInput.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace fixrd::host {

SpooledInput::~SpooledInput() { discard(); }

void SpooledInput::discard() {
    if (named_)
        ::unlink(path_.c_str());
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    named_ = false;
    path_.clear();
}

bool SpooledInput::create(std::string &error) {
    discard();
    fd_ = ::memfd_create("fixrd-input", MFD_CLOEXEC);
    if (fd_ >= 0) {
        // By the process's number, so that its worker processes can read it too.
        path_ = "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(fd_);
        if (::access(path_.c_str(), R_OK) == 0)
            return true;
        discard();   // no /proc to reach it by
    }
    std::string pattern = temporaryFolder(folder_) + "/fixrd-input-XXXXXX";
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error = "cannot make a temporary copy of the package: " + std::string(std::strerror(errno));
        return false;
    }
    path_ = pattern;
    named_ = true;
    return true;
}

bool SpooledInput::append(const char *bytes, size_t size, std::string &error) {
    while (size > 0) {
        ssize_t written = ::write(fd_, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error = "cannot make a temporary copy of the package: " +
                    std::string(written < 0 ? std::strerror(errno) : "nothing written");
            discard();
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool SpooledInput::fromBytes(const void *bytes, size_t size, std::string &error) {
    return create(error) && append(static_cast<const char *>(bytes), size, error);
}

bool SpooledInput::fromDescriptor(int descriptor, std::string &error, bool (*stop)()) {
    if (!create(error))
        return false;
    char block[1 << 16];
    for (;;) {
        ssize_t got = ::read(descriptor, block, sizeof block);
        if (got < 0 && errno == EINTR && (stop == nullptr || !stop()))
            continue;
        if (got < 0) {
            error = "cannot read the package: " + std::string(std::strerror(errno));
            discard();
            return false;
        }
        if (got == 0)
            return true;
        if (!append(block, static_cast<size_t>(got), error))
            return false;
    }
}

} // namespace fixrd::host
