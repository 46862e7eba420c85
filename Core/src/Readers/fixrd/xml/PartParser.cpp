#include "xml/PartParser.h"

#include "frame/DocContext.h"
#include "xml/GuardedHandler.h"
#include "xml/HandlerSet.h"
#include "xml/Namespaces.h"

#include <memory>
#include <new>
#include <stdexcept>

namespace fixrd {

namespace {

constexpr int32_t kUnreadable = 6;
// Expat gives the same events however its input is cut; blocks this large
// spare it rescanning the tokens that straddle their ends (a Glyphs element
// with its Indices runs to hundreds of bytes), and a long token is not
// rescanned from its start a kilobyte at a time.
constexpr size_t kBlockSize = 64 * 1024;
constexpr long kLeadInLimit = 10;

IOObj *partObject(DocContext *context, PartKind kind) {
    switch (kind) {
    case PartKind::ContentTypes: return context->contentTypesIO;
    case PartKind::Sequence: return context->sequenceIO;
    case PartKind::Document: return context->documentIO;
    case PartKind::Page: return context->pageIO;
    }
    return nullptr;
}

struct ParserFree {
    void operator()(XML_ParserStruct *parser) const { XML_ParserFree(parser); }
};
struct FileClose {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

// Clears the context's record of the parse however the parse ends.
class ActiveParse {
public:
    ActiveParse(DocContext *context, XML_Parser parser) : context_(context) {
        context_->activeParser = parser;
        context_->pendingError = nullptr;
    }
    ~ActiveParse() { context_->activeParser = nullptr; }
    ActiveParse(const ActiveParse &) = delete;
    ActiveParse &operator=(const ActiveParse &) = delete;

    std::exception_ptr takeError() {
        std::exception_ptr error = context_->pendingError;
        context_->pendingError = nullptr;
        return error;
    }

private:
    DocContext *context_;
};

} // namespace

void stopParseWithError(DocContext *context, std::exception_ptr error) noexcept {
    context->pendingError = error;
    if (context->activeParser != nullptr)
        XML_StopParser(static_cast<XML_Parser>(context->activeParser), XML_FALSE);
}

void skipToFirstAngle(std::FILE *file) {
    char lead[kLeadInLimit];
    std::rewind(file);
    size_t n = std::fread(lead, 1, sizeof lead, file);
    long position = kLeadInLimit;
    for (size_t i = 0; i < n; ++i) {
        if (lead[i] == '<') {
            position = static_cast<long>(i);
            break;
        }
    }
    std::fseek(file, position, SEEK_SET);
}

int32_t parsePartXml(DocContext *context, PartKind kind) {
    IOObj *io = partObject(context, kind);
    if (io == nullptr || io->fileName == nullptr || io->fileName[0] == '\0')
        return kUnreadable;

    std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreateNS(nullptr, kNamespaceSeparator));
    if (!parser)
        return kUnreadable;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kBlockSize]);
    if (!buffer)
        return kUnreadable;

    const HandlerSet &handlers = handlerSetOf(kind);
    XML_SetUserData(parser.get(), context);
    XML_SetElementHandler(parser.get(), handlers.start, handlers.end);
    XML_SetCharacterDataHandler(parser.get(), handlers.characterData);
    if (handlers.startNamespace != nullptr)
        XML_SetNamespaceDeclHandler(parser.get(), handlers.startNamespace, handlers.endNamespace);
    XML_SetUnknownEncodingHandler(parser.get(), reinterpret_cast<XML_UnknownEncodingHandler>(
                                                    context->xml.unknownEncodingHandler),
                                  context);
    context->rootSeen = 0;
    // Nothing a page declares or defines reaches past it, however it ended.
    if (kind == PartKind::Page) {
        context->markup.reset();
        context->resources.beginPage();
    }

    std::unique_ptr<std::FILE, FileClose> file(std::fopen(io->fileName, "rb"));
    if (!file)
        return kUnreadable;

    ActiveParse active(context, parser.get());
    if (handlers.skipLeadingBytes)
        skipToFirstAngle(file.get());
    bool final = false;
    XML_Status status = XML_STATUS_OK;
    while (!final && status != XML_STATUS_ERROR) {
        size_t n = std::fread(buffer.get(), 1, kBlockSize, file.get());
        final = n < kBlockSize;
        status = XML_Parse(parser.get(), buffer.get(), static_cast<int>(n), final ? XML_TRUE : XML_FALSE);
    }

    std::exception_ptr error = active.takeError();
    file.reset();
    parser.reset();
    if (!error)
        return 0;
    if (kind != PartKind::Page)
        std::rethrow_exception(error);
    try {
        std::rethrow_exception(error);
    } catch (const std::runtime_error &) {
        return kUnreadable;
    }
}

} // namespace fixrd
