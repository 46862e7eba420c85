// The per-document record of the reader.  Allocated by the module, owned by
// the host between xpsAllocateContext and xpsFreeContext.  Everything it keeps
// of the document (chunks, names, the working block) is host memory.
#pragma once

#include "frame/HostInterfaces.h"
#include "frame/OutputChunk.h"
#include "page/Geometry.h"
#include "page/GlyphRun.h"
#include "page/MarkupCompatibility.h"
#include "page/ResourceDictionaries.h"

#include <cstdint>
#include <exception>
#include <string>
#include <unordered_map>
#include <vector>

namespace fixrd {
class FontCache;
}

constexpr int64_t kWorkingBlockSize = 17840;

struct DocContext {
    HostServices *host = nullptr;

    // Output chunk list.
    fixrd::OutputChunk *chunks = nullptr;
    int32_t chunkCapacity = 0;
    int32_t currentChunk = 0;
    int32_t nextChunk = 0;

    void *workingBlock = nullptr;   // held for the host's engine, never read here

    void *xmlLibrary = nullptr;
    XmlServices xml{};
    void *containerLibrary = nullptr;
    ContainerReader container{};
    void *containerHandle = nullptr;
    int32_t entryCount = 0;

    IOObj *contentTypesIO = nullptr;
    IOObj *sequenceIO = nullptr;
    IOObj *documentIO = nullptr;
    IOObj *pageIO = nullptr;

    uint32_t documentCharset = 0;   // 0 until determined

    char *documentPartName = nullptr;
    char *sequencePartName = nullptr;
    char **pageNames = nullptr;
    int32_t pageCount = 0;

    // Every document the sequence references, in order: documentPartName
    // is only the last, and a package may hold several.
    std::vector<std::string> documentNames;
    // The name the document being parsed was found under, and per page its
    // reference resolved against the document that listed it.
    std::string documentBeingRead;
    std::vector<std::string> resolvedPageNames;

    uint32_t pageWalkDone = 0;
    uint32_t rootSeen = 0;

    // Page state, carried from run to run and page to page.
    double unitsPerEm = 0.0;
    fixrd::Point previousRunEnd;
    fixrd::Point previousRunAdvanceEnd;
    fixrd::Point *previousOrigin = nullptr;
    // The page-space origin of the last run emitted, kept whatever its
    // coordinates: previousOrigin only starts once an origin is off both axes.
    fixrd::Point lastRunOrigin;
    bool hasLastRun = false;
    // What the next run is compared with besides its position.
    bool lastRunRightToLeft = false;
    bool lastRunEndsInSpace = false;
    uint32_t lastRunLastCharacter = 0;
    // Set at the start of each page: its first run starts a new line.
    bool pageStartsLine = false;
    fixrd::GlyphRun run;
    std::vector<fixrd::Matrix> transforms;
    std::vector<uint64_t> pushCounts;
    fixrd::MarkupCompatibility markup;
    fixrd::ResourceDictionaries resources;

    fixrd::FontCache *fonts = nullptr;

    // The part name of the page being parsed, which relative references on
    // the page are resolved against.
    std::string currentPageName;

    // The first entry of each name, read in one pass over the container the
    // first time a part is looked up: a scan per part makes a package of
    // many pages and many entries quadratic.  The first entry whose info
    // failed is kept too, since a lookup that reaches it fails with it.
    const void *entryIndexContainer = nullptr;
    int32_t entryIndexCount = -1;
    std::unordered_map<std::string, int32_t> entryIndex;
    int32_t firstFailedEntry = -1;
    int32_t firstFailedStatus = 0;

    // A failed page walk is not repeated: later calls report it again.
    uint32_t walkFailure = 0;

    // The part parse under way: its Expat parser, and an error a handler
    // raised, carried out of Expat's callbacks and rethrown after the parse.
    void *activeParser = nullptr;
    std::exception_ptr pendingError;
};

namespace fixrd {

// Host memory through the context's HostServices record.
void *hostAlloc(DocContext *context, int64_t size);
void *hostRealloc(DocContext *context, void *block, int64_t size);
void hostFree(DocContext *context, void *block);

// A copy of text[0, length) with a NUL, in host memory; null when refused.
char *hostCopyString(DocContext *context, const char *text, size_t length);

} // namespace fixrd
