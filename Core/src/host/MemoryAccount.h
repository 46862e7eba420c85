// The host memory behind HostServices::memory: malloc with accounting, so a
// test can prove that a context gave back everything it took, and with
// failure injection, so a test can refuse a chosen request.
#pragma once

#include "BlockPool.h"

#include <cstdint>

namespace fixrd::host {

class MemoryAccount {
public:
    MemoryAccount();
    MemoryAccount(const MemoryAccount &) = delete;
    MemoryAccount &operator=(const MemoryAccount &) = delete;
    ~MemoryAccount();

    void *allocate(int64_t size);
    void release(void *block);
    void *reallocate(void *block, int64_t size);

    int64_t blocksOutstanding() const { return blocks_; }
    int64_t bytesOutstanding() const { return bytes_; }
    int64_t requests() const { return requests_; }

    // Refuse the n-th request from now (alloc or realloc, counted from 1);
    // 0 refuses none.
    void refuseRequest(int64_t n) {
        refuseAt_ = n == 0 ? 0 : requests_ + n;
        rearm();
    }
    // Refuse every request from the n-th on.
    void refuseFromRequest(int64_t n) {
        refuseFrom_ = n == 0 ? 0 : requests_ + n;
        rearm();
    }
    // Refuse every request of exactly this size; -1 refuses none.
    void refuseSize(int64_t size) {
        refuseSize_ = size;
        rearm();
    }

    // What one document may take, so that a hostile one fails with "out of
    // memory" instead of taking the machine's: no block over largestBlock,
    // and no request that would take the bytes outstanding over budget.
    static constexpr int64_t kDefaultLargestBlock = int64_t{256} << 20;
    static constexpr int64_t kDefaultBudget = int64_t{1} << 30;
    void setLimits(int64_t largestBlock, int64_t budget) {
        largestBlock_ = largestBlock;
        budget_ = budget;
    }

private:
    // `growth`: what the request would add to the bytes outstanding.
    bool refuses(int64_t size, int64_t growth);
    void rearm() { refusing_ = refuseAt_ != 0 || refuseFrom_ != 0 || refuseSize_ >= 0; }

    // The reader asks for memory for every character it measures, and one
    // host serves one document on one thread at a time (a pool hands it on
    // under a lock): plain counters, nothing atomic on that path.
    int64_t blocks_ = 0;
    int64_t bytes_ = 0;
    int64_t requests_ = 0;
    bool refusing_ = false;   // a test asked for refusals
    int64_t refuseAt_ = 0;
    int64_t refuseFrom_ = 0;
    int64_t refuseSize_ = -1;
    int64_t largestBlock_ = kDefaultLargestBlock;
    int64_t budget_ = kDefaultBudget;
    // Room for a block of `size` bytes and its header; `sizeClass` says where
    // it came from, for giveBack.
    void *room(int64_t size, int64_t &sizeClass);
    void giveBack(void *raw, int64_t sizeClass);
    BlockPool pool_;
    bool pooled_;   // false under a memory checker: every block from malloc
};

} // namespace fixrd::host
