// Removing the scratch folder, where the reference hosts keep their private
// temporary files, from inside a signal handler: a document may be half read
// when SIGINT or SIGTERM comes, and the thread that would clean up may be
// busy.  Only async-signal-safe calls (openat, getdents64, unlinkat, rmdir,
// close), no allocation; the folder's path is kept before any signal can come.
#pragma once

#include <string>

namespace xpstext {

// Keeps `folder` for removeScratch; only the first call counts.
void prepareScratchRemoval(const std::string &folder);

// Removes the prepared folder and everything in it.  Async-signal-safe.
void removeScratch() noexcept;

// Keeps SIGINT, SIGTERM and SIGHUP off the calling thread, so that they
// reach the main thread, whose blocked writes they then interrupt.
void leaveSignalsToTheMainThread();

} // namespace xpstext
