#include "xml/Namespaces.h"

#include <cstring>

namespace fixrd {

namespace {

const char *afterUri(const char *name, const char *uri, size_t length) {
    if (std::strncmp(name, uri, length) != 0)
        return nullptr;
    return name[length] == kNamespaceSeparator ? name + length + 1 : nullptr;
}

} // namespace

const char *markupLocalName(const char *expandedName) {
    if (std::strncmp(expandedName, kXpsNamespace, sizeof kXpsNamespace - 1) == 0)
        return afterUri(expandedName, kXpsNamespace, sizeof kXpsNamespace - 1);
    if (std::strncmp(expandedName, kOpenXpsNamespace, sizeof kOpenXpsNamespace - 1) == 0)
        return afterUri(expandedName, kOpenXpsNamespace, sizeof kOpenXpsNamespace - 1);
    return nullptr;
}

} // namespace fixrd
