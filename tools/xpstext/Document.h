// One document of a run read from start to finish: extracted, rendered as the
// options ask, and either kept for standard output or written to its file.
#pragma once

#include "InputList.h"
#include "OutputWriter.h"

#include "Extractor.h"

#include <cstdint>
#include <functional>
#include <string>

namespace xpstext {

struct Rendering {
    bool raw = false;       // the record stream instead of plain text
    bool charset = false;   // the character set number on a line first
};

struct Outcome {
    uint32_t status = 0;   // the reader's status or a CommandStatus; 0 on success
    std::string message;   // empty on success
    std::string content;   // what goes to standard output (without -o)
    uint64_t bytes = 0;    // bytes of text produced for the document
    double seconds = 0;    // time spent on it
    bool written = false;  // its output file was written
    bool skipped = false;  // --resume found its text already there
    struct {
        bool any = false;      // some of its content went to standard output as it was read
        bool failed = false;   // a write there failed; the rest was dropped
        int error = 0;         // that write's errno
    } streamed;
};

// Writes text to standard output; false, errno set, when it cannot.
using StandardOutput = std::function<bool(const std::string &text)>;

// What a successful extraction shows: the text records as they are, a
// newline per line break and a final newline after text that lacks one; or
// the raw records.
std::string render(const fixrd::Extraction &extraction, const Rendering &rendering);

// Reads `item` with `extractor`.  With a writer, the content goes to the
// item's output file and is not kept; with standardOutput, it is written
// there as it is made (then a document that fails after its first chunk
// leaves what it had written).
Outcome readDocument(const InputItem &item, fixrd::Extractor &extractor, const Rendering &rendering,
                     OutputWriter *writer, const StandardOutput *standardOutput = nullptr);

// What a document --resume skips reports: its output, as it already is.
Outcome skippedOutcome(const InputItem &item);

// Writes a content read elsewhere (by an isolated worker) to the item's
// output file; the outcome then says it was written, or why it was not.
void writeOutcome(OutputWriter &writer, const InputItem &item, Outcome &outcome);

} // namespace xpstext
