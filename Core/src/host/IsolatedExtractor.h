// Documents read in a worker process (fixrd-worker, installed beside the
// reader module), so that one that crashes the reader or hangs in it costs
// that document only.  An IsolatedExtractor drives one worker: started at
// its first document, and again after one died or was killed.  The worker
// keeps its host's temporary files in a private folder of its own, removed
// when the worker goes.  Use one per thread, as an Extractor.
#pragma once

#include "Extractor.h"

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace fixrd {

struct IsolationSettings {
    std::string workerProgram;   // the fixrd-worker to start
    std::string scratch;         // the folder the workers' own folders go in
    double timeoutSeconds = 0;   // a document still read after this is killed; 0: no limit
    int64_t memoryBudget = 0;    // the worker host's budget for one document; 0 keeps its default
    // The worker is killed when the thread that started it ends: for a
    // program whose threads outlive their documents, so that no worker
    // outlives the program however it ends.
    bool dieWithThread = false;
};

// Where the worker program of `module` is.
std::string workerProgramOf(const ReaderModule &module);

class IsolatedExtractor {
public:
    explicit IsolatedExtractor(IsolationSettings settings) : settings_(std::move(settings)) {}
    ~IsolatedExtractor();
    IsolatedExtractor(const IsolatedExtractor &) = delete;
    IsolatedExtractor &operator=(const IsolatedExtractor &) = delete;

    // As Extractor::extract, the record stream whole; a worker that died
    // gives kStatusCrashed ("the reader crashed (SIGSEGV)"), one killed
    // after the time limit kStatusTimedOut.
    Extraction extract(const std::string &path);

private:
    bool start(std::string &error);
    // Reaps the worker (killed first when `kill`) and removes its folder;
    // its end as waitpid gives it.
    int stop(bool kill);

    IsolationSettings settings_;
    pid_t pid_ = -1;
    int request_ = -1;   // the worker's standard input
    int reply_ = -1;     // its standard output
    std::string folder_;
};

// The worker's side: reads requests on standard input until it ends and
// answers each on standard output.  Returns the process's exit status.
int runExtractionWorker();

} // namespace fixrd
