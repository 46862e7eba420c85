// One hostile document read in a child process of its own, so that a crash
// or a hang fails one case and the child's peak memory is its own: what it
// ended with, what it cost, and what it left behind.
#pragma once

#include <cstdint>
#include <string>

namespace fixrd::test {

struct Cost {
    int signal = 0;              // the child died of it; SIGALRM: past the time bound
    uint32_t status = 0;
    std::string message;
    std::string text;            // at most the first 4 KiB
    uint64_t textBytes = 0;
    int64_t blocksLeft = -1;     // host memory blocks outstanding after the document
    int64_t objectsLeft = -1;    // IO objects not released
    int64_t temporariesLeft = -1;
    int64_t peakDiskBytes = -1;  // temporary files at their largest
    long peakKiB = 0;            // the child's peak resident memory over what it forked with
    double seconds = 0;
    bool scratchLeft = false;    // anything remained in the child's TMPDIR

    // Left nothing behind.
    bool clean() const {
        return signal == 0 && blocksLeft == 0 && objectsLeft == 0 && temporariesLeft == 0 && !scratchLeft;
    }
    std::string describe() const;
};

// Extracts `path` in a child with `seconds` to live.
Cost extractInChild(const std::string &path, unsigned seconds);

// Built with a sanitizer: its shadow memory and quarantine dwarf what the
// reader takes, so memory bounds do not apply, and everything runs some
// thirty times slower, so the largest documents are made smaller.
bool sanitized();

} // namespace fixrd::test
