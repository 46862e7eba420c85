#include "Interrupt.h"

#include "ScratchRemoval.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace xpstext {

namespace {

// The one piece of process-wide state: what a signal handler may touch.
volatile std::sig_atomic_t received = 0;

// The hosts' temporary files go at once: the thread that would clean up may
// be in the middle of something long.
void note(int signal) {
    removeScratch();
    received = signal;
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

int pendingSignal() { return received; }

ScratchFolder::ScratchFolder() {
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/xpstext-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
        ::setenv("TMPDIR", path_.c_str(), 1);
        prepareScratchRemoval(path_);
    }
}

ScratchFolder::~ScratchFolder() { removeAll(); }

void ScratchFolder::removeAll() {
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
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
