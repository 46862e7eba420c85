// The C API over the C++ host: the extractors of a library are pooled, and
// nothing thrown inside gets past these functions.
#include "fixrd.h"

#include "Extractor.h"
#include "IsolatedExtractor.h"
#include "RecordStream.h"
#include "SpooledInput.h"
#include "TemporaryFolder.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

struct fixrd_library {
    std::unique_ptr<fixrd::ReaderModule> module;
    std::mutex mutex;   // guards idle and idleIsolated
    std::vector<std::unique_ptr<fixrd::Extractor>> idle;
    std::optional<fixrd::IsolationSettings> isolation;   // set by fixrd_library_isolate
    std::vector<std::unique_ptr<fixrd::IsolatedExtractor>> idleIsolated;
};

namespace {

using fixrd::Extraction;

// An extractor taken from one of the library's pools for one call, or a
// new one when every pooled one is busy; given back after the call.
template <class T> class Borrowed {
public:
    template <class Make>
    Borrowed(fixrd_library &library, std::vector<std::unique_ptr<T>> &pool, Make make)
        : mutex_(library.mutex), pool_(pool) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!pool.empty()) {
                extractor_ = std::move(pool.back());
                pool.pop_back();
            }
        }
        if (!extractor_)
            extractor_ = make();
    }
    ~Borrowed() {
        std::lock_guard<std::mutex> lock(mutex_);
        try {
            pool_.push_back(std::move(extractor_));
        } catch (const std::bad_alloc &) {
            // Not pooled, then: it goes with this object.
        }
    }
    Borrowed(const Borrowed &) = delete;
    Borrowed &operator=(const Borrowed &) = delete;
    T &operator*() { return *extractor_; }

private:
    std::mutex &mutex_;
    std::vector<std::unique_ptr<T>> &pool_;
    std::unique_ptr<T> extractor_;
};

Extraction stoppedByCaller() {
    Extraction stopped;
    stopped.status = fixrd::kStatusStopped;
    stopped.stage = fixrd::Stage::Read;
    stopped.message = fixrd::statusText(stopped.status, stopped.stage);
    return stopped;
}

// The result record and the strings it points into, freed together.
struct Result : fixrd_result {
    std::string messageText, plainText, recordBytes;

    fixrd_result *finish(const Extraction &extraction) {
        status = extraction.status;
        charset = extraction.charset;
        messageText = extraction.message;
        if (status != 0) {
            plainText.clear();
            recordBytes.clear();
        }
        message = messageText.c_str();
        text = plainText.c_str();
        text_size = plainText.size();
        records = reinterpret_cast<const unsigned char *>(recordBytes.data());
        records_size = recordBytes.size();
        return this;
    }
};

// Where a call reads its package from: a path, or bytes copied to a file.
struct Input {
    const char *path = nullptr;
    const void *bytes = nullptr;
    size_t size = 0;
};

// Extracts `input`, handing each chunk to `sink`; false from the sink stops
// the extraction with kStatusStopped.
template <class Sink> Extraction run(fixrd_library &library, const Input &input, Sink sink) {
    struct Stopped {};
    fixrd::host::SpooledInput spool;
    std::string path;
    if (input.path != nullptr) {
        path = input.path;
    } else {
        Extraction failure;
        if (!spool.fromBytes(input.bytes, input.size, failure.message)) {
            failure.status = 12;
            failure.stage = fixrd::Stage::Open;
            return failure;
        }
        path = spool.path();
    }
    if (library.isolation) {
        // The worker hands the records over whole, once it is done.
        Borrowed<fixrd::IsolatedExtractor> isolated(library, library.idleIsolated, [&] {
            return std::make_unique<fixrd::IsolatedExtractor>(*library.isolation);
        });
        Extraction extraction = (*isolated).extract(path);
        if (extraction.status == 0 && !extraction.records.empty() && !sink(extraction.records, extraction.charset))
            return stoppedByCaller();
        extraction.records = std::string();
        return extraction;
    }
    Borrowed<fixrd::Extractor> extractor(library, library.idle,
                                         [&] { return std::make_unique<fixrd::Extractor>(*library.module); });
    try {
        return (*extractor).extract(path, [&](std::string_view chunk, uint32_t charset) {
            if (!sink(chunk, charset))
                throw Stopped();
        });
    } catch (const Stopped &) {
        return stoppedByCaller();
    }
}

fixrd_result *collect(fixrd_library *library, const Input &input, unsigned keep) {
    if (library == nullptr)
        return nullptr;
    if (keep == 0)
        keep = FIXRD_TEXT | FIXRD_RECORDS;
    try {
        auto result = std::make_unique<Result>();
        Extraction extraction = run(*library, input, [&](std::string_view chunk, uint32_t) {
            if (keep & FIXRD_RECORDS)
                result->recordBytes.append(chunk);
            if (keep & FIXRD_TEXT)
                fixrd::host::appendPlainText(chunk, result->plainText);
            return true;
        });
        if (!result->plainText.empty() && result->plainText.back() != '\n')
            result->plainText += '\n';
        return result->finish(extraction), result.release();
    } catch (...) {
        return nullptr;   // out of memory: nothing else is thrown here
    }
}

fixrd_result *stream(fixrd_library *library, const Input &input, fixrd_chunk_callback callback, void *user) {
    if (library == nullptr || callback == nullptr)
        return nullptr;
    try {
        auto result = std::make_unique<Result>();
        std::string text;
        Extraction extraction = run(*library, input, [&](std::string_view chunk, uint32_t charset) {
            text.clear();
            fixrd::host::appendPlainText(chunk, text);
            fixrd_chunk record{reinterpret_cast<const unsigned char *>(chunk.data()), chunk.size(), text.c_str(),
                               text.size(), charset};
            return callback(user, &record) == 0;
        });
        return result->finish(extraction), result.release();
    } catch (...) {
        return nullptr;
    }
}

} // namespace

extern "C" {

const char *fixrd_version(void) { return FIXRD_VERSION; }

fixrd_library *fixrd_library_open(const char *directory, char **error) {
    if (error != nullptr)
        *error = nullptr;
    std::string why;
    try {
        auto library = std::make_unique<fixrd_library>();
        library->module = fixrd::ReaderModule::load(directory != nullptr ? directory : "", why);
        if (library->module)
            return library.release();
    } catch (const std::exception &e) {
        why = e.what();
    }
    if (error != nullptr)
        *error = ::strdup(why.empty() ? "cannot load the reader" : why.c_str());
    return nullptr;
}

void fixrd_library_close(fixrd_library *library) { delete library; }

int fixrd_library_isolate(fixrd_library *library, double timeout_seconds) {
    if (library == nullptr || !(timeout_seconds >= 0))
        return -1;
    try {
        fixrd::IsolationSettings settings;
        settings.workerProgram = fixrd::workerProgramOf(*library->module);
        if (::access(settings.workerProgram.c_str(), X_OK) != 0)
            return -1;
        settings.scratch = fixrd::host::systemTemporaryFolder();
        settings.timeoutSeconds = timeout_seconds;
        std::lock_guard<std::mutex> lock(library->mutex);
        library->isolation = std::move(settings);
        library->idleIsolated.clear();
        return 0;
    } catch (...) {
        return -1;
    }
}

void fixrd_free_message(char *message) { std::free(message); }

fixrd_result *fixrd_extract_path(fixrd_library *library, const char *path, unsigned keep) {
    return path == nullptr ? nullptr : collect(library, {path, nullptr, 0}, keep);
}

fixrd_result *fixrd_extract_bytes(fixrd_library *library, const void *bytes, size_t size, unsigned keep) {
    return bytes == nullptr && size > 0 ? nullptr : collect(library, {nullptr, bytes != nullptr ? bytes : "", size}, keep);
}

void fixrd_result_free(fixrd_result *result) { delete static_cast<Result *>(result); }

fixrd_result *fixrd_stream_path(fixrd_library *library, const char *path, fixrd_chunk_callback callback,
                                void *user_data) {
    return path == nullptr ? nullptr : stream(library, {path, nullptr, 0}, callback, user_data);
}

fixrd_result *fixrd_stream_bytes(fixrd_library *library, const void *bytes, size_t size,
                                 fixrd_chunk_callback callback, void *user_data) {
    return bytes == nullptr && size > 0 ? nullptr
                                        : stream(library, {nullptr, bytes != nullptr ? bytes : "", size}, callback, user_data);
}

const char *fixrd_status_message(uint32_t status) { return fixrd::statusText(status, fixrd::Stage::Open); }

} // extern "C"
