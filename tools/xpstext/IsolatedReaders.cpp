#include "IsolatedReaders.h"

#include "WorkerProtocol.h"

#include "ReaderModule.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>

extern char **environ;

namespace xpstext {

namespace {

Outcome failure(uint32_t status, std::string message) {
    Outcome outcome;
    outcome.status = status;
    outcome.message = std::move(message);
    return outcome;
}

// How a worker that gave no reply ended, in words.
std::string describeEnd(int status) {
    if (WIFSIGNALED(status)) {
        const char *name = ::sigabbrev_np(WTERMSIG(status));
        return std::string("the reader crashed (") + (name ? std::string("SIG") + name : "signal " + std::to_string(WTERMSIG(status))) + ")";
    }
    return "the reader stopped without an answer (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

// Waits until `fd` has something to read or the deadline passes; false then.
bool waitReadable(int fd, double timeoutSeconds) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                    std::chrono::duration<double>(timeoutSeconds));
    for (;;) {
        int wait = -1;
        if (timeoutSeconds > 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return false;
            wait = static_cast<int>(std::min<long long>(left, 1000));
        }
        pollfd entry{fd, POLLIN, 0};
        int ready = ::poll(&entry, 1, wait);
        if (ready > 0)
            return true;   // a reply, or the end of a worker that died
        if (ready < 0 && errno != EINTR)
            return true;   // let the read say what is wrong
    }
}

} // namespace

IsolatedReaders::IsolatedReaders(unsigned slots, std::string scratch, double timeoutSeconds, int64_t memoryBudget)
    : workers_(slots), scratch_(std::move(scratch)), timeoutSeconds_(timeoutSeconds), memoryBudget_(memoryBudget) {}

IsolatedReaders::~IsolatedReaders() {
    for (Worker &worker : workers_)
        if (worker.pid > 0)
            stop(worker, false);
}

bool IsolatedReaders::start(unsigned slot, std::string &error) {
    Worker &worker = workers_[slot];
    std::string folder = scratch_ + "/worker-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        error = "cannot make a folder for a worker: " + std::string(std::strerror(errno));
        return false;
    }
    worker.folder = folder;
    // Everything the child needs is made before the fork: after it, in a
    // process with threads, only async-signal-safe calls are allowed.
    std::vector<std::string> environment{"TMPDIR=" + worker.folder};
    for (char **entry = environ; *entry != nullptr; ++entry)
        if (std::strncmp(*entry, "TMPDIR=", 7) != 0)
            environment.emplace_back(*entry);
    std::vector<char *> envp;
    for (std::string &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    char program[] = "xpstext", flag[] = "--isolated-worker";
    char *argv[] = {program, flag, nullptr};

    int toWorker[2], fromWorker[2];
    if (::pipe2(toWorker, O_CLOEXEC) != 0) {
        error = "cannot start a worker: " + std::string(std::strerror(errno));
        ::rmdir(worker.folder.c_str());
        return false;
    }
    if (::pipe2(fromWorker, O_CLOEXEC) != 0) {
        error = "cannot start a worker: " + std::string(std::strerror(errno));
        ::close(toWorker[0]);
        ::close(toWorker[1]);
        ::rmdir(worker.folder.c_str());
        return false;
    }
    pid_t parent = ::getpid();
    pid_t pid = ::fork();
    if (pid == 0) {
        // Dies with the command, however it ends.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        ::dup2(toWorker[0], STDIN_FILENO);
        ::dup2(fromWorker[1], STDOUT_FILENO);
        ::execve("/proc/self/exe", argv, envp.data());
        ::_exit(127);
    }
    ::close(toWorker[0]);
    ::close(fromWorker[1]);
    if (pid < 0) {
        error = "cannot start a worker: " + std::string(std::strerror(errno));
        ::close(toWorker[1]);
        ::close(fromWorker[0]);
        ::rmdir(worker.folder.c_str());
        return false;
    }
    worker.pid = pid;
    worker.request = toWorker[1];
    worker.reply = fromWorker[0];
    return true;
}

int IsolatedReaders::stop(Worker &worker, bool kill) {
    if (kill)
        ::kill(worker.pid, SIGKILL);
    ::close(worker.request);   // a worker waiting for work ends at this
    ::close(worker.reply);
    int status = 0;
    while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
    }
    std::error_code ignored;
    std::filesystem::remove_all(worker.folder, ignored);
    worker = Worker();
    return status;
}

Outcome IsolatedReaders::read(unsigned slot, const InputItem &item, const Rendering &rendering) {
    auto started = std::chrono::steady_clock::now();
    Worker &worker = workers_[slot];
    std::string error;
    if (worker.pid <= 0 && !start(slot, error))
        return failure(kReaderCrashed, error);
    WorkRequest request{item.source.empty() ? item.path : item.source, rendering, memoryBudget_};
    Outcome outcome;
    if (!sendRequest(worker.request, request)) {
        outcome = failure(kReaderCrashed, describeEnd(stop(worker, true)));
    } else if (!waitReadable(worker.reply, timeoutSeconds_)) {
        stop(worker, true);
        outcome = failure(kTimedOut, "took longer than the time limit");
    } else if (!receiveReply(worker.reply, outcome)) {
        outcome = failure(kReaderCrashed, describeEnd(stop(worker, true)));
    }
    if (outcome.status >= kReaderCrashed)
        outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

int runIsolatedWorker() {
    // Ctrl-C goes to the whole process group: the command decides what
    // happens, and kills its workers by going.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGTERM, SIG_DFL);
    std::string error;
    auto module = fixrd::ReaderModule::load("", error);
    if (!module) {
        std::cerr << "xpstext: worker: cannot load the reader module: " << error << '\n';
        return 1;
    }
    fixrd::Extractor extractor(*module);
    WorkRequest request;
    while (receiveRequest(STDIN_FILENO, request)) {
        if (request.memoryBudget > 0)
            extractor.host().memory().setLimits(fixrd::host::MemoryAccount::kDefaultLargestBlock, request.memoryBudget);
        InputItem item;
        item.path = request.path;
        if (!sendReply(STDOUT_FILENO, readDocument(item, extractor, request.rendering, nullptr)))
            return 1;
    }
    return 0;
}

} // namespace xpstext
