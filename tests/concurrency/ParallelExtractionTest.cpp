// The sample and the public corpus read on eight threads at once, each with
// its own Extractor, give exactly what one thread gives.  Under
// ThreadSanitizer (make test-tsan) this is the race test of the module, its
// companions and the reference host.
#include "support/TestHost.h"

#include "Extractor.h"

#include <atomic>
#include <filesystem>
#include <thread>

namespace fixrd::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> documents() {
    std::vector<std::string> files = {std::string(FIXRD_SOURCE_DIR) + "/samples/sample.xps"};
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(FIXRD_CORPUS_DIR, error)) {
        std::string extension = entry.path().extension().string();
        if (extension == ".xps" || extension == ".oxps")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin() + 1, files.end());
    if (files.size() == 1)
        std::cout << "no corpus at " << FIXRD_CORPUS_DIR << ": the corpus part is skipped, the sample alone is read\n";
    return files;
}

// What came out, and whether the host got back all it gave.
struct Outcome {
    uint32_t status = 0;
    std::string records;
    bool clean = false;
    bool operator==(const Outcome &other) const { return status == other.status && records == other.records && clean == other.clean; }
};

Outcome read(Extractor &extractor, const std::string &path) {
    Extraction result = extractor.extract(path);
    host::ReferenceHost &host = extractor.host();
    return {result.status, std::move(result.records),
            host.memory().blocksOutstanding() == 0 && host.files().live() == 0 && host.files().temporaryFiles() == 0};
}

TEST(ParallelExtraction, EightThreadsReadWhatOneThreadReads) {
    std::string error;
    auto module = ReaderModule::load(FIXRD_LIB_DIR, error);
    ASSERT_TRUE(module) << error;
    const std::vector<std::string> files = documents();
    std::vector<Outcome> alone;
    {
        Extractor extractor(*module);
        for (const std::string &file : files)
            alone.push_back(read(extractor, file));
    }

    // Every thread reads every document, each from another starting point,
    // so that the same documents are read on several threads at once.
    constexpr size_t kThreads = 8;
    std::vector<std::vector<Outcome>> together(kThreads, std::vector<Outcome>(files.size()));
    std::atomic<size_t> ready{0};
    std::vector<std::thread> threads;
    for (size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            Extractor extractor(*module);
            for (++ready; ready < kThreads;)
                std::this_thread::yield();
            for (size_t i = 0; i < files.size(); ++i) {
                size_t file = (i + t * files.size() / kThreads) % files.size();
                together[t][file] = read(extractor, files[file]);
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();

    for (size_t file = 0; file < files.size(); ++file) {
        EXPECT_TRUE(alone[file].clean) << files[file];
        for (size_t t = 0; t < kThreads; ++t)
            EXPECT_TRUE(together[t][file] == alone[file]) << files[file] << " on thread " << t;
    }
}

} // namespace
} // namespace fixrd::test
