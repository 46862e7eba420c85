// An in-memory stand-in for the container companion, so that part lookup can
// be tested entry by entry: names, sizes and failing info calls are chosen by
// the test, and every call is counted.
#pragma once

#include "frame/HostInterfaces.h"

#include <cstring>
#include <string>
#include <vector>

struct DocContext;

namespace fixrd::test {

struct FakeEntry {
    std::string name;
    std::string data;
    int32_t infoStatus = 0;   // non-zero: entryInfo fails with it
};

class FakeContainer {
public:
    std::vector<FakeEntry> entries;
    int infoCalls = 0;
    int extractCalls = 0;
    int32_t extractStatus = 0;   // returned by extractEntry after writing
    int32_t readStatus = 0;

    // Points the context at this container.
    void install(DocContext *context);

private:
    static FakeContainer *of(void *handle) { return static_cast<FakeContainer *>(handle); }
    static int32_t entryInfo(void *handle, int32_t index, EntryInfo *info);
    static int32_t extractEntry(void *handle, int32_t index, IOObj *target);
    static int32_t readEntry(void *handle, int32_t index, void *buffer, int32_t size, int32_t *delivered);
};

} // namespace fixrd::test
