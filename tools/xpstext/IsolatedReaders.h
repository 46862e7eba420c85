// Documents read in worker processes, so that one that crashes the reader or
// hangs in it costs that document only.  Each slot (one per batch thread) has
// a worker, started at its first document and again after one died or was
// killed; a worker keeps its host's temporary files in a folder of its own
// below the run's scratch folder, removed when the worker goes.
#pragma once

#include "Document.h"
#include "InputList.h"

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace xpstext {

// Statuses of a document whose worker did not give it back.
enum : uint32_t {
    kReaderCrashed = 204,   // the worker died of a signal, or exited
    kTimedOut = 205,        // killed after the time limit
};

class IsolatedReaders {
public:
    // `timeoutSeconds` 0 waits as long as a document takes; `memoryBudget` 0
    // keeps the host's default.
    IsolatedReaders(unsigned slots, std::string scratch, double timeoutSeconds, int64_t memoryBudget);
    ~IsolatedReaders();
    IsolatedReaders(const IsolatedReaders &) = delete;
    IsolatedReaders &operator=(const IsolatedReaders &) = delete;

    // Reads the item in slot's worker; one thread per slot at a time.
    Outcome read(unsigned slot, const InputItem &item, const Rendering &rendering);

private:
    struct Worker {
        pid_t pid = -1;
        int request = -1;   // the worker's standard input
        int reply = -1;     // its standard output
        std::string folder;
    };
    bool start(unsigned slot, std::string &error);
    // Reaps the worker (killed first when `kill`) and removes its folder;
    // the status it ended with, as waitpid gives it.
    int stop(Worker &worker, bool kill);

    std::vector<Worker> workers_;
    std::string scratch_;
    double timeoutSeconds_;
    int64_t memoryBudget_;
};

// The worker's side: reads requests on standard input until it ends and
// answers each on standard output.  Returns the process's exit status.
int runIsolatedWorker();

} // namespace xpstext
