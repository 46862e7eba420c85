#include "FileObjects.h"

#include "WholeTransfers.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace fixrd::host {

struct FileObject;

namespace {

// Memory files held at once by one store: each holds a descriptor.
constexpr int64_t kMostMemoryFiles = 256;

int64_t sizeOfFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? int64_t{info.st_size} : 0;
}

std::string descriptorPath(int fd) { return "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(fd); }

} // namespace

// The file of a temporary object and of the objects derived from it.  Its
// descriptor both holds the file (a memory file, or an unlinked disk file
// once moved) and names it: /proc/PID/fd/N opens it while the body lives,
// so no name is ever left behind on disk.  The objects over it read and
// write through this one descriptor at positions of their own, so opening,
// seeking and closing them takes no system call, and a move to disk takes
// them all along at once.
struct TemporaryBody {
    FileObjects *owner = nullptr;
    int anchor = -1;
    bool inMemory = true;

    TemporaryBody(FileObjects *owner, int anchor) : owner(owner), anchor(anchor) {
        ++owner->temporaries_;
        ++owner->memoryFiles_;
    }
    ~TemporaryBody() {
        int64_t size = sizeOfFile(anchor);
        owner->temporaryBytes_ -= size;
        if (inMemory) {
            owner->memoryBytes_ -= size;
            --owner->memoryFiles_;
        }
        ::close(anchor);
        --owner->temporaries_;
    }
    TemporaryBody(const TemporaryBody &) = delete;
    TemporaryBody &operator=(const TemporaryBody &) = delete;

    // Copies the memory file to disk and puts the copy behind the same
    // descriptor, so its name now opens the disk file and the objects over it
    // go on there, where they stood.  False, nothing changed, when it cannot.
    bool moveToDisk();
};


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
    std::shared_ptr<TemporaryBody> body;   // the temporary file it is over, if held by descriptor
    bool opened = false;        // over a body: open, reading and writing at `position`
    int64_t position = 0;

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
        if (self->body ? !self->opened : self->fd < 0)
            return 0;
        // A temporary file's growth is booked before the write and settled
        // after it with what the file really grew.
        struct stat before {};
        int64_t booked = 0;
        off_t at = 0;
        if (self->onTemporary) {
            if (::fstat(self->body ? self->body->anchor : self->fd, &before) != 0)
                return 0;
            bool append = (self->flags & O_APPEND) != 0;
            at = append ? before.st_size : self->body ? self->position : ::lseek(self->fd, 0, SEEK_CUR);
            booked = std::max<int64_t>(0, int64_t{at} + count - before.st_size);
            if (at < 0 || !self->owner->reserveTemporary(booked))
                return 0;
            FileObjects &owner = *self->owner;
            if (self->body && self->body->inMemory && booked > 0 &&
                (before.st_size + booked > owner.memoryFileLimit_ || owner.memoryBytes_ + booked > owner.memoryFilesLimit_))
                self->body->moveToDisk();   // where it cannot, it stays in memory
        }
        size_t total = 0;
        while (total < count) {
            const char *from = static_cast<const char *>(buffer) + total;
            ssize_t n = self->body ? ::pwrite(self->body->anchor, from, count - total, at + static_cast<off_t>(total))
                                   : ::write(self->fd, from, count - total);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            total += static_cast<size_t>(n);
        }
        if (self->body)
            self->position = int64_t{at} + static_cast<int64_t>(total);
        if (self->onTemporary) {
            // What it grew follows from where the bytes went: the host is
            // the file's only writer, one call at a time.
            int64_t grown = std::max<int64_t>(0, int64_t{at} + static_cast<int64_t>(total) - before.st_size);
            self->owner->temporaryBytes_ += grown - booked;
            if (self->body && self->body->inMemory)
                self->owner->memoryBytes_ += grown;
        }
        return total == count ? 1 : 0;
    }

    // The same calls over a body: its descriptor at this object's position.
    static int openHeld(IOObj *io) {
        FileObject *self = of(io);
        if (!self->opened)
            self->opened = true, self->position = 0;
        return 1;
    }
    static int32_t readHeld(IOObj *io, void *buffer, uint32_t count) {
        FileObject *self = of(io);
        if (!self->opened)
            return -1;
        size_t total = 0;
        while (total < count) {
            ssize_t n = ::pread(self->body->anchor, static_cast<char *>(buffer) + total, count - total,
                                static_cast<off_t>(self->position));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            total += static_cast<size_t>(n);
            self->position += n;
        }
        return static_cast<int32_t>(total > INT32_MAX ? INT32_MAX : total);
    }
    static int seekHeld(IOObj *io, int64_t offset, int origin) {
        FileObject *self = of(io);
        if (!self->opened || origin < 0 || origin > 2)
            return 0;
        int64_t base = origin == 0 ? 0 : origin == 1 ? self->position : sizeOfFile(self->body->anchor);
        // As lseek: no position before the start, nor past what off_t holds.
        if (offset < -base || (offset > 0 && base > std::numeric_limits<off_t>::max() - offset))
            return 0;
        self->position = base + offset;
        return 1;
    }
    static int64_t tellHeld(IOObj *io) {
        FileObject *self = of(io);
        return self->opened ? self->position : -1;
    }
    static int closeHeld(IOObj *io) {
        FileObject *self = of(io);
        if (!self->opened)
            return 0;
        self->opened = false;
        return 1;
    }
    // Makes io one over its body.
    static void holdBy(IOObj *io, std::shared_ptr<TemporaryBody> body) {
        of(io)->body = std::move(body);
        io->open = openHeld;
        io->read = readHeld;
        io->seek = seekHeld;
        io->tell = tellHeld;
        io->close = closeHeld;
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
        if (self->body) {
            self->body.reset();   // the last one gives the file back
            --self->owner->live_;
            delete self;
            return;
        }
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

bool TemporaryBody::moveToDisk() {
    int disk = owner->unnamedDiskFile();
    if (disk < 0)
        return false;
    char block[1 << 16];
    off_t size = 0;
    for (;;) {
        ssize_t n = ::pread(anchor, block, sizeof block, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            break;
        if (n < 0 || !writeAll(disk, block, static_cast<size_t>(n))) {
            ::close(disk);
            return false;
        }
        size += n;
    }
    bool moved = ::dup3(disk, anchor, O_CLOEXEC) >= 0;
    ::close(disk);
    if (!moved)
        return false;
    owner->memoryBytes_ -= size;
    --owner->memoryFiles_;
    inMemory = false;
    return true;
}

int FileObjects::unnamedDiskFile() {
    std::string directory = temporaryDirectory();
    if (directory.empty())
        return -1;
    std::string path;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        path = directory + "/io-" + std::to_string(++counter_);
    }
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::unlink(path.c_str());
    return fd;
}

IOObj *FileObjects::makeInMemory(const char *mode) {
    if (memoryFiles_.load() >= kMostMemoryFiles)
        return nullptr;
    int fd = ::memfd_create("fixrd-io", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    std::shared_ptr<TemporaryBody> body;
    try {
        body = std::make_shared<TemporaryBody>(this, fd);
    } catch (const std::bad_alloc &) {
        if (!body)
            ::close(fd);
        return nullptr;
    }
    // A private file is always readable and writable, whatever the mode.
    IOObj *io = make(descriptorPath(fd), mode[0] == 'a' ? "a+" : "r+", false);
    if (io == nullptr)
        return nullptr;
    FileObject::of(io)->onTemporary = true;
    FileObject::holdBy(io, std::move(body));
    return io;
}

FileObjects::~FileObjects() {
    if (!directory_.empty())
        ::rmdir(directory_.c_str());
}

std::string FileObjects::temporaryDirectory() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (directory_.empty()) {
        std::string pattern = temporaryFolder(base_) + "/fixrd-XXXXXX";
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
        if (IOObj *io = makeInMemory(mode))
            return io;
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
    if (source->body)
        FileObject::holdBy(copy, source->body);
    return copy;
}

} // namespace fixrd::host
