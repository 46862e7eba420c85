// The host memory behind HostServices::memory: malloc with accounting, so a
// test can prove that a context gave back everything it took, and with
// failure injection, so a test can refuse a chosen request.
#pragma once

#include <atomic>
#include <cstdint>

namespace fixrd::host {

class MemoryAccount {
public:
    void *allocate(int64_t size);
    void release(void *block);
    void *reallocate(void *block, int64_t size);

    int64_t blocksOutstanding() const { return blocks_.load(); }
    int64_t bytesOutstanding() const { return bytes_.load(); }
    int64_t requests() const { return requests_.load(); }

    // Refuse the n-th request from now (alloc or realloc, counted from 1);
    // 0 refuses none.
    void refuseRequest(int64_t n) { refuseAt_ = n == 0 ? 0 : requests_.load() + n; }
    // Refuse every request from the n-th on.
    void refuseFromRequest(int64_t n) { refuseFrom_ = n == 0 ? 0 : requests_.load() + n; }
    // Refuse every request of exactly this size; -1 refuses none.
    void refuseSize(int64_t size) { refuseSize_ = size; }

private:
    bool refuses(int64_t size);

    std::atomic<int64_t> blocks_{0};
    std::atomic<int64_t> bytes_{0};
    std::atomic<int64_t> requests_{0};
    int64_t refuseAt_ = 0;
    int64_t refuseFrom_ = 0;
    int64_t refuseSize_ = -1;
};

} // namespace fixrd::host
