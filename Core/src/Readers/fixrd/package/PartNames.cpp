#include "package/PartNames.h"

#include <algorithm>
#include <cstring>

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

void copyCut1023(char (&buffer)[1024], const char *value) {
    size_t length = strnlen(value, sizeof buffer - 1);
    std::memcpy(buffer, value, length);
    buffer[length] = '\0';
}

} // namespace fixrd
