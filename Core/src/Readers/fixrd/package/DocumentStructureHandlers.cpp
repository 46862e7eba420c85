#include "package/DocumentStructureHandlers.h"

#include "frame/DocContext.h"
#include "package/PartNames.h"
#include "xml/Namespaces.h"
#include "xml/RootCheck.h"

#include <cstring>

namespace fixrd {

namespace {

// The Source of an element of the given local name in either markup
// namespace, less one leading "/", cut to 1023 bytes; false when there is
// none or nothing remains.
bool sourceOf(const XML_Char *name, const XML_Char **attributes, const char *localName, char (&source)[1024],
              const char *&stored) {
    const char *local = markupLocalName(name);
    if (local == nullptr || std::strcmp(local, localName) != 0)
        return false;
    for (const XML_Char **pair = attributes; pair[0] != nullptr; pair += 2) {
        if (std::strcmp(pair[0], "Source") == 0) {
            copyCut1023(source, pair[1]);
            stored = withoutLeadingSlash(source);
            return stored[0] != '\0';
        }
    }
    return false;
}

void appendPage(DocContext *context, const char *pageName, bool absolute) {
    int64_t bytes = static_cast<int64_t>(sizeof(char *)) * (static_cast<int64_t>(context->pageCount) + 1);
    void *array = context->pageCount == 0 && context->pageNames == nullptr
                      ? hostAlloc(context, bytes)
                      : hostRealloc(context, context->pageNames, bytes);
    if (array == nullptr)
        return;
    context->pageNames = static_cast<char **>(array);
    char *copy = hostCopyString(context, pageName, std::strlen(pageName));
    if (copy == nullptr)
        return;
    context->pageNames[context->pageCount++] = copy;
    // Kept one for one with the page names, or not used at all.
    std::vector<std::string> &resolved = context->resolvedPageNames;
    if (resolved.size() + 1 == static_cast<size_t>(context->pageCount))
        resolved.push_back(absolute ? std::string(pageName) : resolveReference(context->documentBeingRead, pageName));
}

} // namespace

void sequenceStart(DocContext *context, const XML_Char *name, const XML_Char **attributes) {
    if (context == nullptr || name == nullptr || attributes == nullptr)
        return;
    if (checkRootElement(context, kXpsNamespace, name, "FixedDocumentSequence") == kIgnoreElement)
        return;
    char source[1024];
    const char *stored = nullptr;
    if (!sourceOf(name, attributes, "DocumentReference", source, stored))
        return;
    if (context->documentPartName != nullptr)
        hostFree(context, context->documentPartName);
    context->documentPartName = hostCopyString(context, stored, std::strlen(stored));
    context->documentNames.emplace_back(stored);
}

void documentStart(DocContext *context, const XML_Char *name, const XML_Char **attributes) {
    if (context == nullptr || name == nullptr || attributes == nullptr)
        return;
    if (checkRootElement(context, kXpsNamespace, name, "FixedDocument") == kIgnoreElement)
        return;
    char source[1024];
    const char *stored = nullptr;
    if (sourceOf(name, attributes, "PageContent", source, stored))
        appendPage(context, stored, stored != source);
}

} // namespace fixrd
