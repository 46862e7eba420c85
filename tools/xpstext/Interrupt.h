// Interruption: SIGINT, SIGTERM and SIGHUP only note the signal; the main
// thread sees it within a tick, removes what the run had half made, and then
// dies of the same signal, so a shell or job runner sees how it ended.
// Writes to a closed pipe do not kill the process either: they fail, and the
// command ends the same way with SIGPIPE.
#pragma once

#include <mutex>
#include <string>

namespace xpstext {

void installInterruptHandlers();
// The signal received, 0 when none.
int pendingSignal();
// While on, a signal kills the process in its handler, after the scratch
// folder is removed, instead of waiting for the main thread to see it: for a
// run whose main thread is itself reading and has nothing else to tidy.
void dieAtOnceOnSignal(bool on);

// A private folder the reference hosts put their temporary files in when
// they need one on disk, so that an interrupted run can remove them too.
// Made when first asked for: most runs never need it, and making and
// removing a folder costs a small document's run a few per cent.
class ScratchFolder {
public:
    ScratchFolder() = default;
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;
    // Removes the folder and everything in it, if it was made.
    void removeAll();
    // The folder, made on the first call; empty when it could not be made.
    // Any thread may ask.
    std::string path();

private:
    std::mutex mutex_;
    bool tried_ = false;
    std::string path_;
};

// Restores the default action and raises `signal`.
[[noreturn]] void dieOf(int signal);

} // namespace xpstext
