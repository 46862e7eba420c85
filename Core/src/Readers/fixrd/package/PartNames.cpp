#include "package/PartNames.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace fixrd {

const char *withoutLeadingSlash(const char *reference) {
    return reference[0] == '/' ? reference + 1 : reference;
}

std::string lastPathComponent(const std::string &path) {
    std::string unified = path;
    std::replace(unified.begin(), unified.end(), '\\', '/');
    size_t slash = unified.rfind('/');
    return slash == std::string::npos ? unified : unified.substr(slash + 1);
}

std::pair<std::string, std::string> splitExtension(const std::string &fileName) {
    size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {fileName, std::string()};
    return {fileName.substr(0, dot), fileName.substr(dot)};
}

std::string resolveReference(const std::string &base, const std::string &reference) {
    std::string path;
    if (!reference.empty() && reference[0] == '/') {
        path = reference.substr(1);
    } else {
        size_t slash = base.rfind('/');
        path = (slash == std::string::npos ? std::string() : base.substr(0, slash + 1)) + reference;
    }
    std::vector<std::string> segments;
    size_t start = 0;
    for (;;) {
        size_t slash = path.find('/', start);
        std::string segment = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (segment != "." && !segment.empty()) {
            segments.push_back(segment);
        }
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    std::string resolved;
    for (const std::string &segment : segments)
        resolved += (resolved.empty() ? "" : "/") + segment;
    return resolved;
}

void copyCut1023(char (&buffer)[1024], const char *value) {
    size_t length = strnlen(value, sizeof buffer - 1);
    std::memcpy(buffer, value, length);
    buffer[length] = '\0';
}

} // namespace fixrd
