#include "ReaderModule.h"

#include "LibraryLoader.h"

#include <dlfcn.h>

namespace fixrd {

std::unique_ptr<ReaderModule> ReaderModule::load(const std::string &directory, std::string &error) {
    std::unique_ptr<ReaderModule> module(new ReaderModule);
    module->directory_ = directory;
    if (directory.empty()) {
        std::string own = host::directoryOfObject(reinterpret_cast<const void *>(&ReaderModule::load));
        module->directory_ = host::moduleDirectory(own, FIXRD_BIN_TO_LIB);
    }
    std::string path = module->directory_ + "/libFIXRD.so";
    // Left mapped once loaded: unmapping it and its libraries at every
    // program's exit costs more than a one-page document's text, and a
    // later host in the same process finds it loaded.
    module->handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (module->handle_ == nullptr) {
        const char *reason = dlerror();
        error = reason != nullptr ? reason : path + ": cannot be loaded";
        return nullptr;
    }
    auto entry = reinterpret_cast<XpsGetReaderInterfaceFn>(dlsym(module->handle_, "xpsGetReaderInterface"));
    if (entry == nullptr) {
        error = path + ": no xpsGetReaderInterface";
        return nullptr;
    }
    entry(&module->table_);
    return module;
}

ReaderModule::~ReaderModule() {
    if (handle_ != nullptr)
        dlclose(handle_);
}

} // namespace fixrd
