// Runs the documents of a batch on worker threads, each with its own
// Extractor, and hands the outcomes back on the calling thread in input
// order.  Workers stay at most `window` documents ahead of the next outcome
// to hand back, so one slow document holds back a bounded amount of text.
#pragma once

#include "Document.h"

#include "ReaderModule.h"

#include <cstddef>
#include <functional>

namespace xpstext {

class BatchRunner {
public:
    // `slot` numbers the worker thread, from 0: what one thread owns.
    using Work = std::function<Outcome(size_t index, unsigned slot, fixrd::Extractor &extractor)>;
    // Takes each outcome in index order; false stops the run.
    using Deliver = std::function<bool(size_t index, Outcome &outcome)>;
    // Called about ten times a second while waiting; false stops the run.
    using Tick = std::function<bool()>;

    BatchRunner(const fixrd::ReaderModule &module, unsigned workers, size_t window)
        : module_(module), workers_(workers > 0 ? workers : 1), window_(window > workers_ ? window : workers_) {}

    // Runs work for 0 .. count-1.  False when deliver or tick stopped it; the
    // documents in progress then finish before it returns.
    bool run(size_t count, const Work &work, const Deliver &deliver, const Tick &tick);

private:
    const fixrd::ReaderModule &module_;
    unsigned workers_;
    size_t window_;
};

} // namespace xpstext
