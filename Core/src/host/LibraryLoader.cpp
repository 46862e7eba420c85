#include "LibraryLoader.h"

#include <dlfcn.h>

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
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::string path = info.dli_fname;
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace fixrd::host
