#include "Document.h"

#include "CommandStatus.h"

#include "RecordStream.h"

#include <chrono>
#include <new>

namespace xpstext {

std::string render(const fixrd::Extraction &extraction, const Rendering &rendering) {
    std::string content;
    if (rendering.charset)
        content = std::to_string(extraction.charset) + '\n';
    if (rendering.raw) {
        content += extraction.records;
        return content;
    }
    size_t start = content.size();
    fixrd::host::appendPlainText(extraction.records, content);
    if (content.size() > start && content.back() != '\n')
        content += '\n';
    return content;
}

Outcome readDocument(const InputItem &item, fixrd::Extractor &extractor, const Rendering &rendering,
                     OutputWriter *writer) {
    auto started = std::chrono::steady_clock::now();
    Outcome outcome;
    if (item.problem != 0) {
        outcome.status = item.problem;
        outcome.message = item.message;
        return outcome;
    }
    try {
        fixrd::Extraction extraction = extractor.extract(item.path);
        if (extraction.status != 0) {
            outcome.status = extraction.status;
            outcome.message = std::move(extraction.message);
        } else {
            std::string content = render(extraction, rendering);
            extraction.records = std::string();
            outcome.bytes = content.size();
            if (writer == nullptr) {
                outcome.content = std::move(content);
            } else if (writer->write(item.output, content, outcome.message)) {
                outcome.written = true;
            } else {
                outcome.status = kOutputFailed;
                outcome.bytes = 0;
            }
        }
    } catch (const std::bad_alloc &) {
        outcome = Outcome();
        outcome.status = 2;
        outcome.message = "out of memory";
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

} // namespace xpstext
