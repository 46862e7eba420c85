#include "ScratchRemoval.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstring>

namespace xpstext {

namespace {

// Process-wide, as a signal handler needs it: the path is written once and
// marked ready after, so that a handler never reads half a path (a prefix
// such as "/tmp" would be emptied).
char scratchPath[4096];
volatile std::sig_atomic_t scratchReady = 0;

// What getdents64 fills in; the kernel's struct linux_dirent64.
struct DirectoryEntry {
    uint64_t inode;
    int64_t next;
    unsigned short length;
    unsigned char type;
    char name[1];
};

bool isDotOrDotDot(const char *name) { return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')); }

// Empties the folder open as `folder`.  The hosts nest two levels deep; the
// bound only keeps a hostile tree from exhausting the stack.
void emptyFolder(int folder, int depth) {
    if (depth > 16)
        return;
    alignas(8) char block[2048];
    // Entries are read again from the start after each pass that removed
    // something: removing while reading may skip entries.
    for (int pass = 0, removed = true; removed && pass < 64; ++pass) {
        removed = 0;
        if (::lseek(folder, 0, SEEK_SET) < 0)
            return;
        for (long n; (n = ::syscall(SYS_getdents64, folder, block, sizeof block)) > 0;) {
            for (long at = 0; at < n;) {
                auto *entry = reinterpret_cast<DirectoryEntry *>(block + at);
                at += entry->length;
                if (isDotOrDotDot(entry->name))
                    continue;
                if (entry->type == DT_DIR || entry->type == DT_UNKNOWN) {
                    int inner = ::openat(folder, entry->name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                    if (inner >= 0) {
                        emptyFolder(inner, depth + 1);
                        ::close(inner);
                        removed |= ::unlinkat(folder, entry->name, AT_REMOVEDIR) == 0 ? 1 : 0;
                        continue;
                    }
                }
                removed |= ::unlinkat(folder, entry->name, 0) == 0 ? 1 : 0;
            }
        }
    }
}

} // namespace

void prepareScratchRemoval(const std::string &folder) {
    if (scratchReady != 0 || folder.empty() || folder.size() >= sizeof scratchPath)
        return;
    std::memcpy(scratchPath, folder.c_str(), folder.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    scratchReady = 1;
}

void removeScratch() noexcept {
    if (scratchReady == 0)
        return;
    int saved = errno;
    int folder = ::open(scratchPath, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder >= 0) {
        emptyFolder(folder, 0);
        ::close(folder);
        ::rmdir(scratchPath);
    }
    errno = saved;
}

void leaveSignalsToTheMainThread() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&signals, signal);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

} // namespace xpstext
