#include "support/datastore/DataStoreBase.h"

#include "support/datastore/DataStoreView.h"

#include <stdexcept>
#include <utility>

namespace vt::datastore {

namespace {

constexpr size_t typeNameOffset = 60;

HostServices *checkedHost(HostServices *host) {
    if (host == nullptr)
        throw std::invalid_argument("pVAPI");
    return host;
}

// ASCII only: the type names are identifiers, and the C locale functions
// would make the result depend on the process's locale.
std::string lowerCaseTypeName(const void *descriptor) {
    std::string text;
    if (descriptor == nullptr)
        return text;
    for (const char *c = static_cast<const char *>(descriptor) + typeNameOffset; *c != '\0'; ++c)
        text.push_back(*c >= 'A' && *c <= 'Z' ? static_cast<char>(*c - 'A' + 'a') : *c);
    return text;
}

} // namespace

DataStoreBase::DataStoreBase(HostServices *host, std::string name, const void *descriptor)
    : host_(checkedHost(host)), name_(std::move(name)), typeName_(lowerCaseTypeName(descriptor)) {}

DataStoreBase::DataStoreBase(HostServices *host, std::string name, std::string typeName, int64_t recordedSize)
    : host_(checkedHost(host)), name_(std::move(name)), typeName_(std::move(typeName)),
      recordedSize_(recordedSize) {}

DataStoreBase::~DataStoreBase() = default;

void DataStoreBase::copyToPath(const std::string &path) {
    DataStoreView target(host_, path, std::string());
    copyInto(&target);
}

void DataStoreBase::copyToDuplicate(IOObj *io) {
    DataStoreView target(host_, duplicateOf, io, std::string());
    copyInto(&target);
}

void DataStoreBase::copyToIO(IOObj *io) {
    DataStoreView target(host_, io, std::string());
    copyInto(&target);
}

void DataStoreBase::copyTo(MutableDataStore *target) { copyInto(target); }

int64_t DataStoreBase::recordedSize() const { return recordedSize_; }

std::string DataStoreBase::name() const { return name_; }

std::string DataStoreBase::typeName() const { return typeName_; }

} // namespace vt::datastore
