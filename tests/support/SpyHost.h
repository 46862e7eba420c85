// A reference host that records, in order, every IO call made on it and on
// the IO objects it hands out, and then forwards the call; faults
// can be planted on the next objects handed out.  The reference host's own
// accounting stays intact, so HostTest's balance checks still hold.
#pragma once

#include "ReferenceHost.h"

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace fixrd::test {

struct SpyCall {
    std::string name;        // "openIOEx", "seek", or what a test noted
    uint64_t object = 0;     // the IO object's serial (from 1), 0 for none
    uint64_t result = 0;     // the object an open or derive handed out, 0 for none
    std::string arguments;   // what matters of the rest, e.g. "0 2" for a seek
};

enum class SpyFault {
    None,
    FailSeek,      // every seek on the object answers 0 and is not forwarded
    NullRelease,   // the object's release member is null; the spy releases it itself
};

class SpyHost : public host::ReferenceHost {
public:
    explicit SpyHost(std::string libraryDirectory = {});
    ~SpyHost();
    SpyHost(const SpyHost &) = delete;
    SpyHost &operator=(const SpyHost &) = delete;

    const std::vector<SpyCall> &calls() const { return calls_; }
    void clear() { calls_.clear(); }
    // The calls as "seek io2 0 2", "openIOEx null w 1 -> io3"; objects are
    // named io1, io2, ... in the order they first appear in the list.
    std::vector<std::string> trace() const;
    // Adds an event of the test's own to the record.
    void note(std::string name, std::string arguments = {}) { calls_.push_back({std::move(name), 0, 0, std::move(arguments)}); }

    // The next objects handed out get these faults, one object each.
    void plantFaults(std::initializer_list<SpyFault> faults) { faults_.insert(faults_.end(), faults); }
    // openIOEx without a name (a new temporary file) answers null while set;
    // openIO, which part extraction uses, still works.
    void refuseTemporaryFilesFromOpenIOEx(bool refuse) { refuseOpenIOExTemporary_ = refuse; }

    // The package input, watched like an object handed out.
    IOObj *openInput(const std::string &path) { return watch(ReferenceHost::openInput(path)); }
    // Releases the objects whose release member a fault took away.
    void releaseWithheld();

private:
    struct Watched {
        uint64_t serial;
        IOObj original;   // the callbacks as the reference host set them
        SpyFault fault;
    };

    IOObj *watch(IOObj *io);
    uint64_t serialOf(const IOObj *io) const;
    void record(const char *name, const IOObj *io, std::string arguments = {}, const IOObj *result = nullptr);
    static SpyHost &of(HostServices *services) { return static_cast<SpyHost &>(*ReferenceHost::of(services)); }
    static SpyHost &of(IOObj *io) { return *static_cast<SpyHost *>(io->hostReserved0[0]); }
    Watched &watched(IOObj *io) { return watched_.at(io); }

    // HostServices members, forwarding to the reference host's.
    static IOObj *openIO(HostServices *services, const char *name, const char *mode);
    static IOObj *openIOEx(HostServices *services, const char *name, const char *mode, uint32_t flag);
    static IOObj *deriveIO(HostServices *services, IOObj *io);
    // IOObj members.
    static int open(IOObj *io);
    static int32_t read(IOObj *io, void *buffer, uint32_t count);
    static int write(IOObj *io, const void *buffer, uint32_t count);
    static int seek(IOObj *io, int64_t offset, int origin);
    static int64_t tell(IOObj *io);
    static int close(IOObj *io);
    static void release(IOObj *io);

    HostServices reference_{};   // the members replaced
    std::map<IOObj *, Watched> watched_;
    std::vector<IOObj *> withheld_;
    std::deque<SpyFault> faults_;
    std::vector<SpyCall> calls_;
    uint64_t serials_ = 0;
    bool refuseOpenIOExTemporary_ = false;
};

} // namespace fixrd::test
