// Documents read in worker processes (--isolate), so that one that crashes
// the reader or hangs in it costs that document only: one worker per batch
// thread, each started again after it died or was killed.
#pragma once

#include "Document.h"
#include "InputList.h"

#include "IsolatedExtractor.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace xpstext {

class IsolatedReaders {
public:
    // `timeoutSeconds` 0 waits as long as a document takes; `memoryBudget` 0
    // keeps the host's default.  The workers' folders go below `scratch`.
    IsolatedReaders(const fixrd::ReaderModule &module, unsigned slots, std::string scratch, double timeoutSeconds,
                    int64_t memoryBudget);

    // Reads the item in slot's worker; one thread per slot at a time.
    Outcome read(unsigned slot, const InputItem &item, const Rendering &rendering);

private:
    std::vector<std::unique_ptr<fixrd::IsolatedExtractor>> workers_;
};

} // namespace xpstext
