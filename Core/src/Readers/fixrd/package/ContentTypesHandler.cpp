#include "package/ContentTypesHandler.h"

#include "frame/DocContext.h"
#include "package/PartNames.h"
#include "xml/Namespaces.h"
#include "xml/RootCheck.h"

#include <cstring>

namespace fixrd {

namespace {

bool isDefaultOrOverride(const char *name) {
    size_t length = sizeof kContentTypesNamespace - 1;
    if (std::strncmp(name, kContentTypesNamespace, length) != 0 || name[length] != kNamespaceSeparator)
        return false;
    const char *local = name + length + 1;
    return std::strcmp(local, "Default") == 0 || std::strcmp(local, "Override") == 0;
}

} // namespace

void contentTypesStart(DocContext *context, const XML_Char *name, const XML_Char **attributes) {
    if (context == nullptr || name == nullptr || attributes == nullptr)
        return;
    if (checkRootElement(context, kContentTypesNamespace, name, "Types") == kIgnoreElement)
        return;
    if (!isDefaultOrOverride(name))
        return;

    char contentType[1024] = "";
    char partName[1024] = "";
    for (const XML_Char **pair = attributes; pair[0] != nullptr; pair += 2) {
        if (std::strcmp(pair[0], "ContentType") == 0)
            copyCut1023(contentType, pair[1]);
        else if (std::strcmp(pair[0], "PartName") == 0)
            copyCut1023(partName, pair[1]);
    }
    if (std::strcmp(contentType, kSequenceContentType) != 0)
        return;
    const char *stored = withoutLeadingSlash(partName);
    if (stored[0] == '\0')
        return;

    if (context->sequencePartName != nullptr)
        hostFree(context, context->sequencePartName);
    context->sequencePartName = hostCopyString(context, stored, std::strlen(stored));
}

} // namespace fixrd
