// The progress line of a batch run on standard error, redrawn in place a few
// times a second while standard error is a terminal, and the summary that
// ends a batch run.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

namespace xpstext {

class Progress {
public:
    // Shown only when `enabled` and `stream` is a terminal.
    Progress(std::FILE *stream, bool enabled, size_t total);

    // Redraws the line if it is due.
    void update(size_t done, size_t failed);
    // Prints a line of its own (an error), keeping the progress line below it.
    void printLine(const std::string &line);
    // Removes the progress line for good.
    void finish();
    double elapsedSeconds() const;

private:
    void clear();
    std::FILE *stream_;
    bool shown_;
    size_t total_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastDrawn_;
};

// "xpstext: 12 documents, 1 failed, 0.84 s (14.3 documents/s)"
// With `skipped` (under --resume), the documents skipped too.
std::string summaryLine(size_t documents, size_t failed, double seconds, const size_t *skipped = nullptr);

} // namespace xpstext
