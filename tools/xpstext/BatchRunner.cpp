#include "BatchRunner.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace xpstext {

namespace {

// What the workers and the delivering thread share.
struct Shared {
    std::mutex mutex;
    std::condition_variable moreRoom;    // a slot was handed back
    std::condition_variable outcomeIn;   // a worker finished a document
    size_t next = 0;                     // the next index to start
    size_t delivered = 0;                // outcomes handed back so far
    bool stop = false;
    std::vector<std::optional<Outcome>> slots;   // ring of window entries
};

} // namespace

bool BatchRunner::run(size_t count, const Work &work, const Deliver &deliver, const Tick &tick) {
    Shared shared;
    shared.slots.resize(window_);
    auto worker = [&](unsigned slot) {
        fixrd::Extractor extractor(module_);
        std::unique_lock<std::mutex> lock(shared.mutex);
        for (;;) {
            shared.moreRoom.wait(lock, [&] {
                return shared.stop || shared.next >= count || shared.next < shared.delivered + window_;
            });
            if (shared.stop || shared.next >= count)
                return;
            size_t index = shared.next++;
            lock.unlock();
            Outcome outcome = work(index, slot, extractor);
            lock.lock();
            shared.slots[index % window_] = std::move(outcome);
            shared.outcomeIn.notify_one();
        }
    };
    unsigned threads = static_cast<unsigned>(std::min<size_t>(workers_, count));
    std::vector<std::thread> pool;
    for (unsigned i = 0; i < threads; ++i)
        pool.emplace_back(worker, i);

    bool completed = true;
    std::unique_lock<std::mutex> lock(shared.mutex);
    while (shared.delivered < count) {
        std::optional<Outcome> &slot = shared.slots[shared.delivered % window_];
        if (!slot) {
            shared.outcomeIn.wait_for(lock, std::chrono::milliseconds(100));
            if (!slot) {
                lock.unlock();
                bool goOn = tick();
                lock.lock();
                if (!goOn) {
                    completed = false;
                    break;
                }
                continue;
            }
        }
        Outcome outcome = std::move(*slot);
        slot.reset();
        size_t index = shared.delivered;
        lock.unlock();
        bool goOn = deliver(index, outcome) && tick();
        lock.lock();
        ++shared.delivered;
        shared.moreRoom.notify_all();
        if (!goOn) {
            completed = false;
            break;
        }
    }
    shared.stop = true;
    shared.moreRoom.notify_all();
    lock.unlock();
    for (std::thread &thread : pool)
        thread.join();
    return completed;
}

} // namespace xpstext
