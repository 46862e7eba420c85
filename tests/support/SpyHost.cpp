#include "support/SpyHost.h"

namespace fixrd::test {

namespace {

std::string nameText(const char *name) { return name == nullptr ? "null" : name; }

} // namespace

SpyHost::SpyHost(std::string libraryDirectory) : ReferenceHost(std::move(libraryDirectory)) {
    HostServices *services = this->services();
    reference_ = *services;
    services->openIO = openIO;
    services->openIOEx = openIOEx;
    services->deriveIO = deriveIO;
}

SpyHost::~SpyHost() { releaseWithheld(); }

IOObj *SpyHost::watch(IOObj *io) {
    if (io == nullptr)
        return nullptr;
    SpyFault fault = SpyFault::None;
    if (!faults_.empty()) {
        fault = faults_.front();
        faults_.pop_front();
    }
    watched_[io] = Watched{++serials_, *io, fault};
    io->hostReserved0[0] = this;
    io->open = open;
    io->read = read;
    io->write = write;
    io->seek = seek;
    io->tell = tell;
    io->close = close;
    io->release = release;
    if (fault == SpyFault::NullRelease) {
        io->release = nullptr;
        withheld_.push_back(io);
    }
    return io;
}

void SpyHost::releaseWithheld() {
    for (IOObj *io : withheld_) {
        auto found = watched_.find(io);
        IOObj original = found->second.original;
        watched_.erase(found);
        original.release(io);
    }
    withheld_.clear();
}

uint64_t SpyHost::serialOf(const IOObj *io) const {
    auto found = watched_.find(const_cast<IOObj *>(io));
    return found == watched_.end() ? 0 : found->second.serial;
}

void SpyHost::record(const char *name, const IOObj *io, std::string arguments, const IOObj *result) {
    calls_.push_back({name, serialOf(io), serialOf(result), std::move(arguments)});
}

std::vector<std::string> SpyHost::trace() const {
    std::map<uint64_t, int> names;
    auto nameOf = [&](uint64_t serial) {
        auto [position, added] = names.try_emplace(serial, static_cast<int>(names.size()) + 1);
        (void)added;
        return "io" + std::to_string(position->second);
    };
    std::vector<std::string> lines;
    for (const SpyCall &call : calls_) {
        bool opens = call.name.rfind("openIO", 0) == 0 || call.name == "deriveIO";
        std::string line = call.name;
        if (call.object != 0)
            line += " " + nameOf(call.object);
        if (!call.arguments.empty())
            line += " " + call.arguments;
        if (opens)
            line += " -> " + (call.result != 0 ? nameOf(call.result) : std::string("none"));
        lines.push_back(line);
    }
    return lines;
}

IOObj *SpyHost::openIO(HostServices *services, const char *name, const char *mode) {
    SpyHost &spy = of(services);
    IOObj *io = spy.watch(spy.reference_.openIO(services, name, mode));
    spy.record("openIO", nullptr, nameText(name) + " " + nameText(mode), io);
    return io;
}

IOObj *SpyHost::openIOEx(HostServices *services, const char *name, const char *mode, uint32_t flag) {
    SpyHost &spy = of(services);
    bool refused = name == nullptr && spy.refuseOpenIOExTemporary_;
    IOObj *io = refused ? nullptr : spy.watch(spy.reference_.openIOEx(services, name, mode, flag));
    spy.record("openIOEx", nullptr, nameText(name) + " " + nameText(mode) + " " + std::to_string(flag), io);
    return io;
}

IOObj *SpyHost::deriveIO(HostServices *services, IOObj *source) {
    SpyHost &spy = of(services);
    IOObj *io = spy.watch(spy.reference_.deriveIO(services, source));
    spy.record("deriveIO", source, {}, io);
    return io;
}

int SpyHost::open(IOObj *io) {
    SpyHost &spy = of(io);
    spy.record("open", io);
    return spy.watched(io).original.open(io);
}

int32_t SpyHost::read(IOObj *io, void *buffer, uint32_t count) {
    SpyHost &spy = of(io);
    spy.record("read", io, std::to_string(count));
    return spy.watched(io).original.read(io, buffer, count);
}

int SpyHost::write(IOObj *io, const void *buffer, uint32_t count) {
    SpyHost &spy = of(io);
    spy.record("write", io, std::to_string(count));
    return spy.watched(io).original.write(io, buffer, count);
}

int SpyHost::seek(IOObj *io, int64_t offset, int origin) {
    SpyHost &spy = of(io);
    spy.record("seek", io, std::to_string(offset) + " " + std::to_string(origin));
    const Watched &entry = spy.watched(io);
    return entry.fault == SpyFault::FailSeek ? 0 : entry.original.seek(io, offset, origin);
}

int64_t SpyHost::tell(IOObj *io) {
    SpyHost &spy = of(io);
    spy.record("tell", io);
    return spy.watched(io).original.tell(io);
}

int SpyHost::close(IOObj *io) {
    SpyHost &spy = of(io);
    spy.record("close", io);
    return spy.watched(io).original.close(io);
}

void SpyHost::release(IOObj *io) {
    SpyHost &spy = of(io);
    spy.record("release", io);
    auto found = spy.watched_.find(io);
    if (found == spy.watched_.end())
        return;
    IOObj original = found->second.original;
    // The record is gone once released; a later object may reuse its address.
    spy.watched_.erase(found);
    original.release(io);
}

} // namespace fixrd::test
