#include "Extractor.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace fixrd {

namespace {

// The most one chunk can hold.
constexpr size_t kChunkContentMax = 5031;

// Frees the context however the extraction ends.
class ContextGuard {
public:
    ContextGuard(const ReaderInterface &table, DocContext *context) : table_(table), context_(context) {}
    ~ContextGuard() {
        if (context_ != nullptr)
            table_.freeContext(context_);
    }
    ContextGuard(const ContextGuard &) = delete;
    ContextGuard &operator=(const ContextGuard &) = delete;

private:
    const ReaderInterface &table_;
    DocContext *context_;
};

struct InputRelease {
    void operator()(IOObj *io) const { io->release(io); }
};

} // namespace

Extractor::Extractor(const ReaderModule &module) : module_(module), host_(module.directory()) {}

Extraction Extractor::extract(const std::string &path) {
    std::string records;
    Extraction result = extract(path, [&](std::string_view chunk, uint32_t) { records.append(chunk); });
    if (result.status == 0)
        result.records = std::move(records);
    return result;
}

Extraction Extractor::extract(const std::string &path, const ChunkSink &sink) {
    Extraction result;
    const ReaderInterface &table = module_.table();

    DocContext *context = nullptr;
    try {
        context = table.allocateContext(nullptr, nullptr, nullptr, host_.services());
    } catch (const std::exception &e) {
        result.status = 2;
        result.message = std::string("could not create a reader context: ") + e.what();
        return result;
    }
    if (context == nullptr) {
        result.status = 2;
        result.message = "could not create a reader context: out of memory";
        return result;
    }
    ContextGuard guard(table, context);

    std::unique_ptr<IOObj, InputRelease> input(host_.openInput(path));
    if (!input) {
        result.status = 12;
        result.stage = Stage::Open;
        result.message = std::string("cannot be opened: ") + std::strerror(errno);
        return result;
    }

    result.status = table.initDoc(context, nullptr, nullptr, input.get());
    result.stage = Stage::Open;
    if (result.status != 0) {
        result.message = describeStatus(result.status, Stage::Open);
        return result;
    }
    result.charset = table.getDocumentCharset(context, nullptr);

    result.stage = Stage::Read;
    char buffer[kChunkContentMax];
    for (;;) {
        uint32_t count = 0, completion = 0;
        result.status = table.fillBuffer(context, buffer, &count, &completion);
        if (result.status != 0) {
            result.message = describeStatus(result.status, Stage::Read);
            return result;
        }
        sink(std::string_view(buffer, count), result.charset);
        ++result.chunks;
        if (completion != FIXRD_COMPLETION_MORE)
            return result;
    }
}

} // namespace fixrd
