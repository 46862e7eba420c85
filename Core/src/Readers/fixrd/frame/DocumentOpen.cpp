#include "frame/DocumentOpen.h"

#include "frame/DocContext.h"
#include "frame/DocumentCharset.h"
#include "frame/ExceptionStatus.h"
#include "frame/OutputChunks.h"
#include "package/PartExtraction.h"
#include "xml/PartParser.h"

#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

namespace fixrd {

namespace {

constexpr uint32_t kLibraryNotLoaded = 1;
constexpr uint32_t kPartMissing = 4;
constexpr uint32_t kNoEntryPoint = 12;
constexpr uint32_t kNoContainer = 12;
constexpr int32_t kNoMemory = 2;

// Loads a companion and has its entry point fill `table`.  The entry point
// is called through its own type: a call through another is undefined.
template <class Table>
uint32_t loadCompanion(DocContext *context, const char *fileName, const char *entryPoint, void **handle,
                       Table *table) {
    HostServices *host = context->host;
    if (host->loadLibrary(host, fileName, handle) == 0)
        return kLibraryNotLoaded;
    void *function = host->getEntryPoint(host, *handle, entryPoint);
    if (function == nullptr)
        return kNoEntryPoint;
    reinterpret_cast<void (*)(Table *)>(function)(table);
    return 0;
}

// The documents a sequence references before its last one, in order, each
// read once.  The last one decides whether the package opens, as it did when
// it was the only one read; an earlier one that is missing or damaged is
// passed over, keeping the pages it listed before its markup broke.  Only
// running out of memory ends the open.
int32_t readEarlierDocuments(DocContext *context) {
    std::vector<std::string> &names = context->documentNames;
    // A set, not a search: a sequence may name a great many documents.
    std::unordered_set<std::string> read{context->documentPartName};
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        if (!read.insert(names[i]).second)
            continue;
        context->documentBeingRead = names[i];
        int32_t part = extractPart(context, names[i].c_str(), nullptr, nullptr, &context->documentIO);
        if (part == kNoMemory)
            return part;
        if (part == 0 && context->documentIO != nullptr)
            parsePartXml(context, PartKind::Document);
        if (context->documentIO != nullptr)
            context->documentIO->release(context->documentIO);
        context->documentIO = nullptr;
    }
    return 0;
}

uint32_t followDiscoveryChain(DocContext *context, void *input) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%s", "mkparse", ".dll");
    uint32_t status = loadCompanion(context, name, "mkpGetInterface", &context->xmlLibrary, &context->xml);
    if (status != 0)
        return status;
    std::snprintf(name, sizeof name, "pkgrd%s", ".dll");
    status = loadCompanion(context, name, "pkgrdGetContainerReaderInterface", &context->containerLibrary,
                           &context->container);
    if (status != 0)
        return status;

    context->containerHandle = context->container.open(input, context->host, 0);
    context->entryIndexContainer = nullptr;   // a new container may sit where an old one was
    if (context->containerHandle == nullptr)
        return kNoContainer;
    context->entryCount = context->container.entryCount(context->containerHandle);
    if (context->entryCount < 2)
        return kNoContainer;

    int32_t part = extractPart(context, "[Content_Types].xml", "[Content_Types].xml", nullptr,
                               &context->contentTypesIO);
    if (part != 0)
        return static_cast<uint32_t>(part);
    if (context->contentTypesIO == nullptr)
        return kPartMissing;
    context->documentCharset = getDocumentCharset(context, nullptr);
    if (int32_t parsed = parsePartXml(context, PartKind::ContentTypes); parsed != 0)
        return static_cast<uint32_t>(parsed);
    context->contentTypesIO->release(context->contentTypesIO);
    context->contentTypesIO = nullptr;

    part = extractPart(context, context->sequencePartName, "FixedDocumentSequence.fdseq", "FixedDocSeq.fdseq",
                       &context->sequenceIO);
    if (context->sequenceIO == nullptr)
        return kPartMissing;
    if (part != 0)
        return static_cast<uint32_t>(part);
    if (int32_t parsed = parsePartXml(context, PartKind::Sequence); parsed != 0)
        return static_cast<uint32_t>(parsed);
    if (context->documentPartName == nullptr)
        return kPartMissing;

    if (int32_t status = readEarlierDocuments(context); status != 0)
        return static_cast<uint32_t>(status);
    part = extractPart(context, context->documentPartName, "FixedDoc.fdoc", nullptr, &context->documentIO,
                       &context->documentBeingRead);
    if (part != 0)
        return static_cast<uint32_t>(part);
    if (context->documentIO == nullptr)
        return kPartMissing;
    if (int32_t parsed = parsePartXml(context, PartKind::Document); parsed != 0)
        return static_cast<uint32_t>(parsed);

    return static_cast<uint32_t>(initOutputChunks(context));
}

void closeCompanions(DocContext *context) {
    HostServices *host = context->host;
    if (context->containerHandle != nullptr)
        context->container.close(context->containerHandle);
    context->containerHandle = nullptr;
    if (context->containerLibrary != nullptr)
        host->freeLibrary(host, context->containerLibrary);
    context->containerLibrary = nullptr;
    if (context->xmlLibrary != nullptr)
        host->freeLibrary(host, context->xmlLibrary);
    context->xmlLibrary = nullptr;
}

} // namespace

uint32_t openDocument(DocContext *context, void *input) {
    if (context == nullptr)
        return kNoContainer;
    uint32_t status;
    try {
        status = followDiscoveryChain(context, input);
    } catch (...) {
        status = statusOfException(std::current_exception());
        if (status == 0)
            status = 6;
    }
    if (status != 0)
        closeCompanions(context);
    return status;
}

} // namespace fixrd
