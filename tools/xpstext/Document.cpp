#include "Document.h"

#include "CommandStatus.h"

#include "RecordStream.h"

#include <sys/stat.h>

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

namespace {

// What is written to standard output at a time.
constexpr size_t kStreamBuffer = 1 << 16;

// Writes the document to its output file chunk by chunk as the reader hands
// the chunks out, so that its text is never collected whole here.  The file
// is made at the first chunk: a document that fails to open leaves no file
// and reports its own failure, not one of its output.
void streamDocument(const InputItem &item, fixrd::Extractor &extractor, const Rendering &rendering,
                    OutputWriter &writer, Outcome &outcome) {
    OutputFile file;
    std::string openError;
    bool tried = false;
    bool endsInNewline = true;
    std::string text;
    auto begin = [&](uint32_t documentCharset) {
        tried = true;
        if (!file.open(writer, item.output, openError))
            return;
        if (rendering.charset) {
            std::string line = std::to_string(documentCharset) + '\n';
            file.append(line);
            outcome.bytes += line.size();
        }
    };
    fixrd::Extraction extraction = extractor.extract(item.source.empty() ? item.path : item.source, [&](std::string_view chunk, uint32_t charset) {
        if (!tried)
            begin(charset);
        if (!file.isOpen())
            return;
        if (rendering.raw) {
            file.append(chunk);
            outcome.bytes += chunk.size();
            return;
        }
        text.clear();
        fixrd::host::appendPlainText(chunk, text);
        if (text.empty())
            return;
        file.append(text);
        outcome.bytes += text.size();
        endsInNewline = text.back() == '\n';
    });
    if (extraction.status != 0) {
        outcome.status = extraction.status;
        outcome.message = std::move(extraction.message);
        outcome.bytes = 0;
        return;
    }
    if (!tried)
        begin(extraction.charset);
    if (!file.isOpen()) {
        outcome.status = kOutputFailed;
        outcome.message = std::move(openError);
        outcome.bytes = 0;
        return;
    }
    if (!rendering.raw && !endsInNewline) {
        file.append("\n");
        ++outcome.bytes;
    }
    if (file.commit(outcome.message)) {
        outcome.written = true;
    } else {
        outcome.status = kOutputFailed;
        outcome.bytes = 0;
    }
}

} // namespace

Outcome readDocument(const InputItem &item, fixrd::Extractor &extractor, const Rendering &rendering,
                     OutputWriter *writer, const StandardOutput *standardOutput) {
    auto started = std::chrono::steady_clock::now();
    Outcome outcome;
    if (item.problem != 0) {
        outcome.status = item.problem;
        outcome.message = item.message;
        return outcome;
    }
    try {
        if (writer != nullptr) {
            streamDocument(item, extractor, rendering, *writer, outcome);
            outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            return outcome;
        }
        // Rendered chunk by chunk: the record stream is never held here
        // beside the text made of it.  Straight to standard output, the text
        // goes as it is made, a buffer at a time, and is never held whole.
        std::string &content = outcome.content;
        bool started = false;
        uint64_t textBytes = 0;   // after the charset line
        char last = '\n';
        auto pass = [&](bool always) {
            if (standardOutput == nullptr || (!always && content.size() < kStreamBuffer) || content.empty())
                return;
            outcome.bytes += content.size();
            if (!outcome.streamed.failed && !(*standardOutput)(content)) {
                outcome.streamed.failed = true;
                outcome.streamed.error = errno;
            }
            content.clear();
        };
        auto begin = [&](uint32_t charset) {
            if (!started && rendering.charset)
                content = std::to_string(charset) + '\n';
            started = true;
        };
        fixrd::Extraction extraction = extractor.extract(item.source.empty() ? item.path : item.source, [&](std::string_view chunk, uint32_t charset) {
            begin(charset);
            size_t before = content.size();
            if (rendering.raw)
                content.append(chunk);
            else
                fixrd::host::appendPlainText(chunk, content);
            if (content.size() > before) {
                textBytes += content.size() - before;
                last = content.back();
            }
            pass(false);
        });
        outcome.streamed.any = standardOutput != nullptr && outcome.bytes > 0;
        if (extraction.status != 0) {
            outcome.status = extraction.status;
            outcome.message = std::move(extraction.message);
            outcome.bytes = 0;
            content = std::string();
        } else {
            begin(extraction.charset);
            if (!rendering.raw && textBytes > 0 && last != '\n')
                content += '\n';
            if (standardOutput != nullptr) {
                pass(true);
                outcome.streamed.any = true;
            } else {
                outcome.bytes = content.size();
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

Outcome skippedOutcome(const InputItem &item) {
    Outcome outcome;
    struct stat output;
    if (::stat(item.output.c_str(), &output) == 0)
        outcome.bytes = static_cast<uint64_t>(output.st_size);
    outcome.written = true;
    outcome.skipped = true;
    return outcome;
}

void writeOutcome(OutputWriter &writer, const InputItem &item, Outcome &outcome) {
    if (writer.write(item.output, outcome.content, outcome.message)) {
        outcome.written = true;
    } else {
        outcome.status = kOutputFailed;
        outcome.bytes = 0;
    }
    outcome.content = std::string();
}

} // namespace xpstext
