#include "package/PartExtraction.h"

#include "frame/DocContext.h"

#include <cstdio>
#include <cstring>

namespace fixrd {

namespace {

constexpr int32_t kUnreadable = 6;
constexpr int32_t kNoMemory = 2;
constexpr int32_t kNoPieceObject = 15;
constexpr size_t kPieceNameSize = 260;   // at most 259 characters

bool fetchInfo(DocContext *context, int32_t index, EntryInfo &info, int32_t &status) {
    status = context->container.entryInfo(context->containerHandle, index, &info);
    info.name[sizeof info.name - 1] = '\0';   // never trust the companion's terminator
    return status == 0;
}

// Reads every entry's name once per container.
void indexEntries(DocContext *context) {
    if (context->entryIndexContainer == context->containerHandle && context->entryIndexCount == context->entryCount)
        return;
    context->entryIndex.clear();
    context->firstFailedEntry = -1;
    EntryInfo info;
    for (int32_t i = 0; i < context->entryCount; ++i) {
        int32_t status;
        if (fetchInfo(context, i, info, status)) {
            context->entryIndex.try_emplace(info.name, i);
        } else if (context->firstFailedEntry < 0) {
            context->firstFailedEntry = i;
            context->firstFailedStatus = status;
        }
    }
    context->entryIndexContainer = context->containerHandle;
    context->entryIndexCount = context->entryCount;
}

// The first entry named exactly `name`, or -1; entries whose info fails are
// not among them.
int32_t firstEntryNamed(DocContext *context, const char *name) {
    if (name == nullptr)
        return -1;
    auto found = context->entryIndex.find(name);
    return found == context->entryIndex.end() ? -1 : found->second;
}

int32_t findPiece(DocContext *context, const char *name, EntryInfo &info) {
    int32_t index = firstEntryNamed(context, name);
    int32_t status;
    return index >= 0 && fetchInfo(context, index, info, status) ? index : -1;
}

// Appends the pieces of `name` to *slot.  Sets found when piece 0 existed.
int32_t extractPieces(DocContext *context, const char *name, IOObj **slot, bool &found) {
    found = false;
    void *buffer = nullptr;
    auto finish = [&](int32_t status) {
        if (buffer != nullptr)
            hostFree(context, buffer);
        return status;
    };

    for (int32_t piece = 0;; ++piece) {
        char pieceName[kPieceNameSize];
        std::snprintf(pieceName, sizeof pieceName, "%s/[%d].piece", name, piece);
        EntryInfo info;
        int32_t index = findPiece(context, pieceName, info);
        // The final piece of a part carries its own suffix.
        bool last = false;
        if (index < 0) {
            std::snprintf(pieceName, sizeof pieceName, "%s/[%d].last.piece", name, piece);
            index = findPiece(context, pieceName, info);
            last = index >= 0;
        }
        if (index < 0)
            return finish(0);

        int32_t delivered = 0;
        if (info.size < 0)
            return finish(kUnreadable);
        if (info.size > 0) {
            void *grown = hostRealloc(context, buffer, info.size);
            if (grown == nullptr)
                return finish(kNoMemory);
            buffer = grown;
            delivered = info.size;
            int32_t status =
                context->container.readEntry(context->containerHandle, index, buffer, info.size, &delivered);
            if (status != 0)
                return finish(status);
            if (delivered < 0 || delivered > info.size)
                return finish(kUnreadable);
        }
        if (*slot == nullptr) {
            IOObj *io = context->host->openIO(context->host, nullptr, "a+");
            if (io == nullptr)
                return finish(kNoPieceObject);
            *slot = io;
            io->open(io);
        }
        found = true;
        if (delivered > 0)
            (*slot)->write(*slot, buffer, static_cast<uint32_t>(delivered));
        if (last)
            return finish(0);
    }
}

} // namespace

bool hasPart(DocContext *context, const std::string &name) {
    indexEntries(context);
    for (const char *suffix : {"", "/[0].piece", "/[0].last.piece"})
        if (firstEntryNamed(context, (name + suffix).c_str()) >= 0)
            return true;
    return false;
}

int32_t extractPart(DocContext *context, const char *first, const char *second, const char *third,
                    IOObj **slot, std::string *matchedName) {
    indexEntries(context);
    // The first entry in container order under any of the names, unless an
    // entry whose info failed comes before it.
    int32_t match = -1;
    for (const char *name : {first, second, third}) {
        int32_t index = firstEntryNamed(context, name);
        if (index >= 0 && (match < 0 || index < match))
            match = index;
    }
    if (context->firstFailedEntry >= 0 && (match < 0 || context->firstFailedEntry < match))
        return context->firstFailedStatus;
    if (match >= 0) {
        EntryInfo info;
        int32_t status;
        if (!fetchInfo(context, match, info, status))
            return status;
        if (info.size <= 0)
            return kUnreadable;
        IOObj *io = context->host->openIO(context->host, nullptr, "a+");
        if (io == nullptr)
            return kUnreadable;
        *slot = io;
        if (matchedName != nullptr)
            *matchedName = info.name;
        return context->container.extractEntry(context->containerHandle, match, io);
    }

    for (const char *name : {first, second, third}) {
        if (name == nullptr)
            continue;
        bool found = false;
        int32_t status = extractPieces(context, name, slot, found);
        if (found && matchedName != nullptr)
            *matchedName = name;
        if (status != 0 || found)
            return status;
    }
    return 0;
}

} // namespace fixrd
