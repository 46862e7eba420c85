#include "LibraryLoader.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

namespace fixrd::host {

std::string LibraryLoader::pathOf(const std::string &name) const {
    if (name.find('/') != std::string::npos)
        return name;
    std::string base = name;
    const std::string windowsSuffix = ".dll";
    if (base.size() > windowsSuffix.size() &&
        base.compare(base.size() - windowsSuffix.size(), windowsSuffix.size(), windowsSuffix) == 0) {
        base = "lib" + base.substr(0, base.size() - windowsSuffix.size()) + ".so";
    }
    return directory_.empty() ? base : directory_ + "/" + base;
}

void *LibraryLoader::load(const std::string &name) {
    if (refused_.count(name) != 0) {
        lastError_ = name + ": refused";
        return nullptr;
    }
    std::string path = pathOf(name);
    // Left mapped when unloaded, as the module is (ReaderModule.cpp).
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr) {
        const char *reason = dlerror();
        lastError_ = reason != nullptr ? reason : path + ": cannot be loaded";
        return nullptr;
    }
    return handle;
}

void *LibraryLoader::entryPoint(void *handle, const char *symbol) const {
    return handle != nullptr ? dlsym(handle, symbol) : nullptr;
}

void LibraryLoader::unload(void *handle) const {
    if (handle != nullptr)
        dlclose(handle);
}

std::string directoryOfObject(const void *address) {
    Dl_info info{};
    link_map *object = nullptr;
    if (dladdr1(address, &info, reinterpret_cast<void **>(&object), RTLD_DL_LINKMAP) == 0 || info.dli_fname == nullptr)
        return {};
    std::string path = info.dli_fname;
    // The program itself has no name of its own in the loader's list: what
    // dladdr gives for it is the command as typed, which may be a bare name
    // found through PATH.
    if (object != nullptr && object->l_name != nullptr && object->l_name[0] == '\0') {
        char self[4096];
        ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
        if (length > 0)
            path.assign(self, static_cast<size_t>(length));
    }
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string moduleDirectory(const std::string &own, const std::string &binToLib) {
    const std::string candidates[] = {own, !binToLib.empty() && binToLib[0] == '/' ? binToLib : own + "/" + binToLib,
                                      own + "/../lib"};
    for (const std::string &candidate : candidates)
        if (::access((candidate + "/libFIXRD.so").c_str(), F_OK) == 0)
            return candidate;
    return own;
}

} // namespace fixrd::host
