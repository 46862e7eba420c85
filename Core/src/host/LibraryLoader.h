// The host's library loading: a name such as "pkgrd.dll" is looked for as
// "libpkgrd.so" in one directory and mapped with dlopen.
#pragma once

#include <set>
#include <string>

namespace fixrd::host {

class LibraryLoader {
public:
    explicit LibraryLoader(std::string directory = {}) : directory_(std::move(directory)) {}
    LibraryLoader(const LibraryLoader &) = delete;
    LibraryLoader &operator=(const LibraryLoader &) = delete;

    void setDirectory(std::string directory) { directory_ = std::move(directory); }
    const std::string &directory() const { return directory_; }

    // The file that `name` stands for.
    std::string pathOf(const std::string &name) const;
    // A handle, or null with the reason in lastError().  Each library stays
    // mapped for the rest of the process, whatever is unloaded: the module
    // loads its companions for every document, and mapping and relocating
    // them anew each time costs a batch more than small documents do.
    void *load(const std::string &name);
    void *entryPoint(void *handle, const char *symbol) const;
    void unload(void *handle) const;
    const std::string &lastError() const { return lastError_; }

    // Test hook: behave as if this library were missing.
    void refuse(const std::string &name) { refused_.insert(name); }

private:
    std::string directory_;
    std::string lastError_;
    std::set<std::string> refused_;
};

// The directory that holds the shared object or program containing `address`.
std::string directoryOfObject(const void *address);

// Where the module is looked for when the program names no directory:
// beside the object the host is part of.  A program with the host built in
// lives apart from the libraries; they are then where its install puts them
// (`binToLib` from the program's folder, or absolute), or in the lib/ of a
// build.  The first of these that holds the module; the host's own folder
// when none does, so that the failure names it.
std::string moduleDirectory(const std::string &own, const std::string &binToLib);

} // namespace fixrd::host
