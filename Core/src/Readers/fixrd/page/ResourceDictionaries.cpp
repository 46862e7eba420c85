#include "page/ResourceDictionaries.h"

#include "frame/DocContext.h"
#include "page/MatrixReading.h"

#include <cctype>
#include <cstring>

namespace fixrd {

void readRemoteDictionary(DocContext *context, const std::string &partName, TransformResources &into);

void ResourceDictionaries::beginPage() {
    scopes_.assign(1, TransformResources());
    dictionaryDepth_ = 0;
}

void ResourceDictionaries::closeScope() {
    if (scopes_.size() > 1)
        scopes_.pop_back();
}

void ResourceDictionaries::define(const std::string &key, const Matrix &matrix) {
    scopes_.back().emplace(key, matrix);
}

void ResourceDictionaries::include(DocContext *context, const std::string &partName) {
    auto found = remote_.find(partName);
    if (found == remote_.end()) {
        TransformResources read;
        readRemoteDictionary(context, partName, read);
        found = remote_.emplace(partName, std::move(read)).first;
    }
    for (const auto &[key, matrix] : found->second)
        define(key, matrix);
}

const Matrix *ResourceDictionaries::find(const std::string &key) const {
    for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
        auto found = scope->find(key);
        if (found != scope->end())
            return &found->second;
    }
    return nullptr;
}

bool staticResourceKey(const char *value, std::string &key) {
    static constexpr char kPrefix[] = "{StaticResource";
    const char *p = value;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (std::strncmp(p, kPrefix, sizeof kPrefix - 1) != 0)
        return false;
    p += sizeof kPrefix - 1;
    if (!std::isspace(static_cast<unsigned char>(*p)))
        return false;
    const char *close = std::strchr(p, '}');
    if (close == nullptr)
        return false;
    while (p < close && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const char *end = close;
    while (end > p && std::isspace(static_cast<unsigned char>(end[-1])))
        --end;
    key.assign(p, end);
    return !key.empty();
}

Matrix readTransform(const DocContext *context, const char *value) {
    std::string key;
    if (staticResourceKey(value, key)) {
        if (const Matrix *found = context->resources.find(key))
            return *found;
    }
    return readMatrix(value);
}

bool isKeyAttribute(const char *name) {
    size_t length = std::strlen(name);
    return length > 4 && std::strcmp(name + length - 4, " Key") == 0;
}

} // namespace fixrd
