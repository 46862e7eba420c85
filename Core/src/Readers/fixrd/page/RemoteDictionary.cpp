// Reading a resource dictionary part for its keyed transforms.
#include "frame/DocContext.h"
#include "page/MatrixReading.h"
#include "page/ResourceDictionaries.h"
#include "package/PartExtraction.h"
#include "support/datastore/HostIO.h"
#include "xml/Namespaces.h"

#include <expat.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace fixrd {

namespace {

struct ParserFree {
    void operator()(XML_ParserStruct *parser) const { XML_ParserFree(parser); }
};
struct FileClose {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

void XMLCALL dictionaryStart(void *data, const XML_Char *name, const XML_Char **attributes) {
    const char *local = std::strrchr(name, kNamespaceSeparator);
    if (std::strcmp(local != nullptr ? local + 1 : name, "MatrixTransform") != 0)
        return;
    const char *key = nullptr, *matrix = nullptr;
    for (const XML_Char **pair = attributes; pair[0] != nullptr; pair += 2) {
        if (isKeyAttribute(pair[0]))
            key = pair[1];
        else if (std::strcmp(pair[0], "Matrix") == 0)
            matrix = pair[1];
    }
    if (key == nullptr || matrix == nullptr)
        return;
    // An entry that cannot be read is as good as absent: a reference to it
    // then fails where it is used.
    try {
        static_cast<TransformResources *>(data)->emplace(key, readMatrix(matrix));
    } catch (...) {
    }
}

} // namespace

// What cannot be found or read leaves the dictionary empty; what was read
// before a well-formedness error stands, as on pages.
void readRemoteDictionary(DocContext *context, const std::string &partName, TransformResources &into) {
    IOObj *extracted = nullptr;
    int32_t status = extractPart(context, partName.c_str(), nullptr, nullptr, &extracted);
    vt::datastore::OwnedIO part(extracted);
    if (status != 0 || !part || part->fileName == nullptr)
        return;
    std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreateNS(nullptr, kNamespaceSeparator));
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(part->fileName, "rb"));
    if (!parser || !file)
        return;
    XML_SetUserData(parser.get(), &into);
    XML_SetStartElementHandler(parser.get(), dictionaryStart);
    char buffer[4096];
    for (bool final = false; !final;) {
        size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        final = n < sizeof buffer;
        if (XML_Parse(parser.get(), buffer, static_cast<int>(n), final ? XML_TRUE : XML_FALSE) == XML_STATUS_ERROR)
            return;
    }
}

} // namespace fixrd
