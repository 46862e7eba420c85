#include "FileObjects.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace fixrd::host {

// The host's side of an IOObj.  The record comes first so the callbacks can
// find the rest from the IOObj pointer they are given.
struct FileObject {
    IOObj io{};
    FileObjects *owner = nullptr;
    std::string path;
    int fd = -1;
    int flags = O_RDONLY;
    bool temporary = false;     // this object removes the file
    bool onTemporary = false;   // the file is a temporary one: its growth is booked

    static FileObject *of(IOObj *io) { return reinterpret_cast<FileObject *>(io); }

    static int open(IOObj *io) {
        FileObject *self = of(io);
        if (self->fd >= 0)
            return 1;
        self->fd = ::open(self->path.c_str(), self->flags | O_CLOEXEC);
        return self->fd >= 0 ? 1 : 0;
    }

    static int32_t read(IOObj *io, void *buffer, uint32_t count) {
        FileObject *self = of(io);
        if (self->fd < 0)
            return -1;
        size_t total = 0;
        while (total < count) {
            ssize_t n = ::read(self->fd, static_cast<char *>(buffer) + total, count - total);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            total += static_cast<size_t>(n);
        }
        if (total == 0 && count > 0)
            return 0;
        return static_cast<int32_t>(total > INT32_MAX ? INT32_MAX : total);
    }

    static int write(IOObj *io, const void *buffer, uint32_t count) {
        FileObject *self = of(io);
        if (self->fd < 0)
            return 0;
        // A temporary file's growth is booked before the write and settled
        // after it with what the file really grew.
        struct stat before {};
        int64_t booked = 0;
        if (self->onTemporary) {
            if (::fstat(self->fd, &before) != 0)
                return 0;
            off_t at = (self->flags & O_APPEND) != 0 ? before.st_size : ::lseek(self->fd, 0, SEEK_CUR);
            booked = std::max<int64_t>(0, int64_t{at} + count - before.st_size);
            if (at < 0 || !self->owner->reserveTemporary(booked))
                return 0;
        }
        size_t total = 0;
        while (total < count) {
            ssize_t n = ::write(self->fd, static_cast<const char *>(buffer) + total, count - total);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            total += static_cast<size_t>(n);
        }
        if (self->onTemporary) {
            struct stat after {};
            int64_t grown = ::fstat(self->fd, &after) == 0 ? int64_t{after.st_size} - before.st_size : booked;
            self->owner->temporaryBytes_ += grown - booked;
        }
        return total == count ? 1 : 0;
    }

    static int seek(IOObj *io, int64_t offset, int origin) {
        FileObject *self = of(io);
        static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
        if (self->fd < 0 || origin < 0 || origin > 2)
            return 0;
        return ::lseek(self->fd, offset, whence[origin]) >= 0 ? 1 : 0;
    }

    static int64_t tell(IOObj *io) {
        FileObject *self = of(io);
        if (self->fd < 0)
            return -1;
        return ::lseek(self->fd, 0, SEEK_CUR);
    }

    static int close(IOObj *io) {
        FileObject *self = of(io);
        if (self->fd < 0)
            return 0;
        int result = ::close(self->fd);
        self->fd = -1;
        return result == 0 ? 1 : 0;
    }

    static void release(IOObj *io) {
        FileObject *self = of(io);
        struct stat info {};
        bool sized = self->temporary && ::stat(self->path.c_str(), &info) == 0;
        if (self->fd >= 0)
            ::close(self->fd);
        if (self->temporary && ::unlink(self->path.c_str()) == 0) {
            --self->owner->temporaries_;
            if (sized)
                self->owner->temporaryBytes_ -= info.st_size;
        }
        --self->owner->live_;
        delete self;
    }
};

namespace {

// open(2) flags for an fopen-style mode.  Creation and truncation happen once,
// when the object is made; each IOObj::open then reopens the same file.
int accessFlags(const char *mode) {
    bool plus = std::strchr(mode, '+') != nullptr;
    int flags;
    if (mode[0] == 'r')
        flags = plus ? O_RDWR : O_RDONLY;
    else
        flags = plus ? O_RDWR : O_WRONLY;
    if (mode[0] == 'a')
        flags |= O_APPEND;
    return flags;
}

} // namespace

FileObjects::~FileObjects() {
    if (!directory_.empty())
        ::rmdir(directory_.c_str());
}

std::string FileObjects::temporaryDirectory() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (directory_.empty()) {
        const char *base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/fixrd-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr)
            directory_ = pattern;
    }
    return directory_;
}

bool FileObjects::reserveTemporary(int64_t growth) {
    int64_t now = temporaryBytes_.load();
    if (growth > temporaryBudget_ - now)
        return false;
    now = temporaryBytes_ += growth;
    if (now > peakTemporaryBytes_.load())
        peakTemporaryBytes_ = now;
    return true;
}

IOObj *FileObjects::make(const std::string &path, const char *mode, bool temporary) {
    auto *object = new (std::nothrow) FileObject;
    if (object == nullptr)
        return nullptr;
    object->owner = this;
    object->path = path;
    object->flags = accessFlags(mode);
    object->temporary = temporary;
    object->onTemporary = temporary;
    IOObj &io = object->io;
    io.fileName = object->path.data();
    io.open = FileObject::open;
    io.read = FileObject::read;
    io.write = FileObject::write;
    io.seek = FileObject::seek;
    io.tell = FileObject::tell;
    io.close = FileObject::close;
    io.release = FileObject::release;
    ++live_;
    return &io;
}

IOObj *FileObjects::open(const char *name, const char *mode) {
    if (mode == nullptr || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a'))
        return nullptr;
    if (name == nullptr) {
        if (refuseTemporary_)
            return nullptr;
        std::string directory = temporaryDirectory();
        if (directory.empty())
            return nullptr;
        std::string path;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            path = directory + "/io-" + std::to_string(++counter_);
        }
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            return nullptr;
        ::close(fd);
        // A private file is always readable and writable, whatever the mode.
        IOObj *io = make(path, mode[0] == 'a' ? "a+" : "r+", true);
        if (io == nullptr)
            ::unlink(path.c_str());
        else
            ++temporaries_;
        return io;
    }
    if (refuseNamed_)
        return nullptr;
    int create = mode[0] == 'r' ? 0 : O_CREAT;
    int truncate = mode[0] == 'w' ? O_TRUNC : 0;
    int fd = ::open(name, O_RDONLY | create | truncate | O_CLOEXEC | (create ? O_WRONLY : 0), 0644);
    if (fd < 0)
        return nullptr;
    ::close(fd);
    return make(name, mode, false);
}

IOObj *FileObjects::derive(IOObj *io) {
    if (io == nullptr)
        return nullptr;
    FileObject *source = FileObject::of(io);
    IOObj *copy = make(source->path, "r+", false);
    if (copy == nullptr)
        return nullptr;
    FileObject::of(copy)->flags = source->flags;
    FileObject::of(copy)->onTemporary = source->onTemporary;
    return copy;
}

} // namespace fixrd::host
