#include "IsolatedReaders.h"

#include <chrono>

namespace xpstext {

IsolatedReaders::IsolatedReaders(const fixrd::ReaderModule &module, unsigned slots, std::string scratch,
                                 double timeoutSeconds, int64_t memoryBudget) {
    fixrd::IsolationSettings settings;
    settings.workerProgram = fixrd::workerProgramOf(module);
    settings.scratch = std::move(scratch);
    settings.timeoutSeconds = timeoutSeconds;
    settings.memoryBudget = memoryBudget;
    // Each slot's thread lives as long as the run: no worker outlives the command.
    settings.dieWithThread = true;
    for (unsigned i = 0; i < slots; ++i)
        workers_.push_back(std::make_unique<fixrd::IsolatedExtractor>(settings));
}

Outcome IsolatedReaders::read(unsigned slot, const InputItem &item, const Rendering &rendering) {
    auto started = std::chrono::steady_clock::now();
    Outcome outcome;
    fixrd::Extraction extraction = workers_[slot]->extract(item.source.empty() ? item.path : item.source);
    outcome.status = extraction.status;
    outcome.message = std::move(extraction.message);
    if (outcome.status == 0) {
        outcome.content = render(extraction, rendering);
        outcome.bytes = outcome.content.size();
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

} // namespace xpstext
