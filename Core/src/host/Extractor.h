// Drives one document at a time through the reader module: a context, the
// open, every chunk pulled, the context freed.  Each Extractor has its own
// reference host; use one per thread.
#pragma once

#include "ReaderModule.h"
#include "ReferenceHost.h"
#include "StatusText.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace fixrd {

struct Extraction {
    uint32_t status = 0;          // 0, or the status of the stage that failed
    Stage stage = Stage::Start;   // where it failed
    std::string message;          // what went wrong, in words; empty on success
    std::string records;          // the record stream, every chunk in order
    uint32_t charset = 0;         // the document's character set number
    uint32_t chunks = 0;          // xpsFillBuffer calls that delivered
};

class Extractor {
public:
    explicit Extractor(const ReaderModule &module);

    // Extracts the document at `path`.  Nothing the module handed out is
    // kept when a later call fails.
    Extraction extract(const std::string &path);

    // Hands each chunk to `sink` as it comes instead of collecting the
    // stream in Extraction::records, which stays empty: a large document's
    // text is then never held twice.  A failure after some chunks were
    // handed out is reported as such; what the sink got is the caller's.
    // `charset` is the document's character set number, known before the
    // first chunk.
    using ChunkSink = std::function<void(std::string_view chunk, uint32_t charset)>;
    Extraction extract(const std::string &path, const ChunkSink &sink);

    host::ReferenceHost &host() { return host_; }

private:
    const ReaderModule &module_;
    host::ReferenceHost host_;
};

} // namespace fixrd
