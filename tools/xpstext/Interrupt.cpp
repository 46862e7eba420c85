#include "Interrupt.h"

#include "ScratchRemoval.h"

#include "TemporaryFolder.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace xpstext {

namespace {

// The one piece of process-wide state: what a signal handler may touch.
// Atomic, as the thread writing a document's text asks it too; lock-free, so
// a handler may set it.
std::atomic<int> received{0};
static_assert(std::atomic<int>::is_always_lock_free);

volatile std::sig_atomic_t dieAtOnce = 0;

// The hosts' temporary files go at once: the thread that would clean up may
// be in the middle of something long.
void note(int signal) {
    removeScratch();
    received.store(signal, std::memory_order_relaxed);
    if (dieAtOnce != 0) {
        // Blocked while its handler runs, the signal raised again is
        // delivered, to its default action, as the handler returns.
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
        raise(signal);
    }
}

} // namespace

void installInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int pendingSignal() { return received.load(std::memory_order_relaxed); }

void dieAtOnceOnSignal(bool on) { dieAtOnce = on ? 1 : 0; }

std::string ScratchFolder::path() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!tried_) {
        tried_ = true;
        // A signal between the folder's making and its booking for removal
        // would leave it behind.
        sigset_t signals, before;
        sigemptyset(&signals);
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&signals, signal);
        pthread_sigmask(SIG_BLOCK, &signals, &before);
        std::string pattern = fixrd::host::systemTemporaryFolder() + "/xpstext-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
            prepareScratchRemoval(path_);
        }
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
    }
    return path_;
}

ScratchFolder::~ScratchFolder() { removeAll(); }

// A worker may still be releasing its own files while this runs, and
// remove_all gives up at the first entry that vanished under it: try again
// until the folder is gone.  Nothing new can appear once it is, as the hosts
// only ever create inside it.
void ScratchFolder::removeAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (path_.empty())
        return;
    // Mostly the hosts have already removed what they made.
    if (::rmdir(path_.c_str()) == 0)
        return;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
        if (!std::filesystem::exists(std::filesystem::symlink_status(path_, error)))
            return;
    }
}

void dieOf(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal);
    pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    std::raise(signal);
    std::_Exit(128 + signal);
}

} // namespace xpstext
