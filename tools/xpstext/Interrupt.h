// Interruption: SIGINT, SIGTERM and SIGHUP only note the signal; the main
// thread sees it within a tick, removes what the run had half made, and then
// dies of the same signal, so a shell or job runner sees how it ended.
// Writes to a closed pipe do not kill the process either: they fail, and the
// command ends the same way with SIGPIPE.
#pragma once

#include <string>

namespace xpstext {

void installInterruptHandlers();
// The signal received, 0 when none.
int pendingSignal();

// A private folder the reference hosts put their temporary files in (through
// TMPDIR), so that an interrupted run can remove them too.  Made on
// construction, before any thread starts.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;
    // Removes the folder and everything in it.
    void removeAll();
    // Empty when it could not be made.
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

// Restores the default action and raises `signal`.
[[noreturn]] void dieOf(int signal);

} // namespace xpstext
