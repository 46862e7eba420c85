// The reader module loaded into a program: libFIXRD.so mapped with dlopen and
// its function table filled.  One module serves any number of threads, each
// driving its own documents.
#pragma once

#include "frame/HostInterfaces.h"

#include <memory>
#include <string>

namespace fixrd {

class ReaderModule {
public:
    // Loads libFIXRD.so from `directory` (empty: beside this host library,
    // or where the program the host is built into keeps its libraries).
    // Null with the reason in `error` when it cannot be loaded.
    static std::unique_ptr<ReaderModule> load(const std::string &directory, std::string &error);
    ~ReaderModule();
    ReaderModule(const ReaderModule &) = delete;
    ReaderModule &operator=(const ReaderModule &) = delete;

    const ReaderInterface &table() const { return table_; }
    // Where the module lives; the companions are looked for there too.
    const std::string &directory() const { return directory_; }

private:
    ReaderModule() = default;
    void *handle_ = nullptr;
    ReaderInterface table_{};
    std::string directory_;
};

} // namespace fixrd
