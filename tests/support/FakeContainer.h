// An in-memory stand-in for the container companion, so that font loading
// can be tested part by part: the entries and a failing extraction are
// chosen by the test, and extractions are counted.
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
};

class FakeContainer {
public:
    std::vector<FakeEntry> entries;
    int extractCalls = 0;
    int32_t extractStatus = 0;   // returned by extractEntry after writing

    // Points the context at this container.
    void install(DocContext *context);

private:
    static FakeContainer *of(void *handle) { return static_cast<FakeContainer *>(handle); }
    static int32_t entryInfo(void *handle, int32_t index, EntryInfo *info);
    static int32_t extractEntry(void *handle, int32_t index, IOObj *target);
    static int32_t readEntry(void *handle, int32_t index, void *buffer, int32_t size, int32_t *delivered);
};

} // namespace fixrd::test
