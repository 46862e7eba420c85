#include "support/FakeContainer.h"

#include "frame/DocContext.h"

#include <algorithm>

namespace fixrd::test {

void FakeContainer::install(DocContext *context) {
    context->container = ContainerReader{};
    context->container.entryInfo = entryInfo;
    context->container.extractEntry = extractEntry;
    context->container.readEntry = readEntry;
    context->containerHandle = this;
    context->entryCount = static_cast<int32_t>(entries.size());
    context->entryIndexContainer = nullptr;   // the entries may have changed
}

int32_t FakeContainer::entryInfo(void *handle, int32_t index, EntryInfo *info) {
    const FakeEntry &entry = of(handle)->entries.at(static_cast<size_t>(index));
    std::memset(info, 0, sizeof *info);
    std::strncpy(info->name, entry.name.c_str(), sizeof info->name - 1);
    info->size = static_cast<int32_t>(entry.data.size());
    return 0;
}

int32_t FakeContainer::extractEntry(void *handle, int32_t index, IOObj *target) {
    FakeContainer *self = of(handle);
    ++self->extractCalls;
    const FakeEntry &entry = self->entries.at(static_cast<size_t>(index));
    target->open(target);
    target->write(target, entry.data.data(), static_cast<uint32_t>(entry.data.size()));
    target->close(target);
    return self->extractStatus;
}

int32_t FakeContainer::readEntry(void *handle, int32_t index, void *buffer, int32_t size, int32_t *delivered) {
    const FakeEntry &entry = of(handle)->entries.at(static_cast<size_t>(index));
    int32_t n = std::min<int32_t>(size, static_cast<int32_t>(entry.data.size()));
    std::memcpy(buffer, entry.data.data(), static_cast<size_t>(n));
    *delivered = n;
    return 0;
}

} // namespace fixrd::test
