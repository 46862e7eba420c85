#include "OutputNames.h"

#include "CommandStatus.h"

#include <sys/stat.h>

#include <unordered_map>

namespace xpstext {

std::string cleanRelativePath(const std::string &path) {
    std::string clean;
    size_t at = 0;
    while (at <= path.size()) {
        size_t end = path.find('/', at);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(at, end - at);
        if (!part.empty() && part != "." && part != "..") {
            if (!clean.empty())
                clean += '/';
            clean += part;
        }
        at = end + 1;
    }
    return clean;
}

void assignOutputs(std::vector<InputItem> &items, const std::string &folder, const std::string &extension) {
    std::string base = folder;
    if (base.size() > 1 && base.back() == '/')
        base.pop_back();
    std::unordered_map<std::string, size_t> takenBy;
    for (size_t i = 0; i < items.size(); ++i) {
        InputItem &item = items[i];
        if (item.problem != 0)
            continue;
        std::string relative = cleanRelativePath(item.relative);
        if (relative.empty())
            relative = "unnamed";
        std::string output = (base == "/" ? "" : base) + "/" + relative + extension;
        auto [taken, fresh] = takenBy.emplace(output, i);
        if (!fresh) {
            item.problem = kOutputFailed;
            item.message = "its output " + output + " is already the output of " + items[taken->second].path;
            continue;
        }
        item.output = std::move(output);
    }
}

void markUpToDate(std::vector<InputItem> &items) {
    for (InputItem &item : items) {
        struct stat input, output;
        if (item.problem != 0 || item.output.empty() || item.standardInput || ::stat(item.path.c_str(), &input) != 0 ||
            ::stat(item.output.c_str(), &output) != 0 || !S_ISREG(output.st_mode))
            continue;
        item.upToDate = output.st_mtim.tv_sec > input.st_mtim.tv_sec ||
                        (output.st_mtim.tv_sec == input.st_mtim.tv_sec && output.st_mtim.tv_nsec > input.st_mtim.tv_nsec);
    }
}

} // namespace xpstext
