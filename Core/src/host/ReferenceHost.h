// The reference host: a HostServices record with every member the reader
// uses, over malloc, files and dlopen.  One host serves one document at a
// time; give each thread its own.
#pragma once

#include "FileObjects.h"
#include "LibraryLoader.h"
#include "MemoryAccount.h"
#include "frame/HostInterfaces.h"

#include <string>

namespace fixrd::host {

class ReferenceHost {
public:
    // Companion libraries are looked for in libraryDirectory.
    explicit ReferenceHost(std::string libraryDirectory = {});
    ~ReferenceHost() = default;
    ReferenceHost(const ReferenceHost &) = delete;
    ReferenceHost &operator=(const ReferenceHost &) = delete;

    HostServices *services() { return &services_; }
    MemoryAccount &memory() { return memory_; }
    FileObjects &files() { return files_; }
    LibraryLoader &libraries() { return libraries_; }

    // The input object for a package on disk: an IOObj named by its path.
    // Release it with IOObj::release.
    IOObj *openInput(const std::string &path) { return files_.open(path.c_str(), "r"); }

    static ReferenceHost *of(HostServices *services);

private:
    HostServices services_{};
    MemoryAccount memory_;
    FileObjects files_;
    LibraryLoader libraries_;
};

} // namespace fixrd::host
