// Where temporary files go: the folder a caller names, when it names one,
// else TMPDIR, else /tmp.
#pragma once

#include <cstdlib>
#include <functional>
#include <string>

namespace fixrd::host {

// Asked for a folder only when one is needed; an empty answer means none.
using FolderSource = std::function<std::string()>;

inline std::string systemTemporaryFolder() {
    const char *folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

inline std::string temporaryFolder(const FolderSource &source) {
    std::string folder = source ? source() : std::string();
    return folder.empty() ? systemTemporaryFolder() : folder;
}

} // namespace fixrd::host
