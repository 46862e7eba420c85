#include "xml/RootCheck.h"

#include "frame/DocContext.h"
#include "xml/Namespaces.h"

#include <cstring>

namespace fixrd {

int32_t checkRootElement(DocContext *context, const char *namespaceUri, const char *elementName,
                         const char *expectedLocalName) {
    if (context->rootSeen != 0)
        return 0;
    size_t length = std::strlen(namespaceUri);
    if (std::strncmp(elementName, namespaceUri, length) != 0)
        return 0;
    if (elementName[length] != kNamespaceSeparator)
        return 0;
    if (std::strcmp(elementName + length + 1, expectedLocalName) == 0) {
        context->rootSeen = 1;
        return 0;
    }
    return kIgnoreElement;
}

} // namespace fixrd
