#include "IsolatedExtractor.h"

#include "StatusText.h"
#include "WorkerProtocol.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

extern char **environ;

namespace fixrd {

namespace {

Extraction failure(uint32_t status, std::string message) {
    Extraction extraction;
    extraction.status = status;
    extraction.stage = Stage::Read;
    extraction.message = std::move(message);
    return extraction;
}

// How a worker that gave no reply ended, in words.
std::string describeEnd(int status) {
    if (WIFSIGNALED(status)) {
        const char *name = ::sigabbrev_np(WTERMSIG(status));
        return std::string("the reader crashed (") +
               (name != nullptr ? "SIG" + std::string(name) : "signal " + std::to_string(WTERMSIG(status))) + ")";
    }
    return "the reader stopped without an answer (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
}

// Waits until `fd` has something to read (a reply, or the end of a worker
// that died) or the time is up; false then.
bool waitReadable(int fd, double timeoutSeconds) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
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
        if (ready > 0 || (ready < 0 && errno != EINTR))
            return true;   // what there is, the read says
    }
}

} // namespace

std::string workerProgramOf(const ReaderModule &module) { return module.directory() + "/fixrd-worker"; }

IsolatedExtractor::~IsolatedExtractor() {
    if (pid_ > 0)
        stop(false);
}

bool IsolatedExtractor::start(std::string &error) {
    std::string folder = settings_.scratch + "/fixrd-worker-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        error = "cannot make a folder for a worker: " + std::string(std::strerror(errno));
        return false;
    }
    // All the child needs is made before the fork: after it, in a process
    // with threads, only async-signal-safe calls are allowed.
    std::vector<std::string> environment{"TMPDIR=" + folder};
    for (char **entry = environ; *entry != nullptr; ++entry)
        if (std::strncmp(*entry, "TMPDIR=", 7) != 0)
            environment.emplace_back(*entry);
    std::vector<char *> envp;
    for (std::string &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string program = settings_.workerProgram;
    char *argv[] = {program.data(), nullptr};

    int toWorker[2] = {-1, -1}, fromWorker[2] = {-1, -1};
    pid_t pid = -1;
    if (::pipe2(toWorker, O_CLOEXEC) == 0 && ::pipe2(fromWorker, O_CLOEXEC) == 0) {
        pid_t parent = ::getpid();
        bool dieWithThread = settings_.dieWithThread;
        pid = ::fork();
        if (pid == 0) {
            if (dieWithThread && (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent))
                ::_exit(127);
            ::dup2(toWorker[0], STDIN_FILENO);
            ::dup2(fromWorker[1], STDOUT_FILENO);
            ::execve(program.c_str(), argv, envp.data());
            ::_exit(127);
        }
    }
    int cause = errno;
    for (int fd : {toWorker[0], fromWorker[1]})
        if (fd >= 0)
            ::close(fd);
    if (pid <= 0) {
        for (int fd : {toWorker[1], fromWorker[0]})
            if (fd >= 0)
                ::close(fd);
        ::rmdir(folder.c_str());
        error = "cannot start a worker: " + std::string(std::strerror(cause));
        return false;
    }
    pid_ = pid;
    request_ = toWorker[1];
    reply_ = fromWorker[0];
    folder_ = folder;
    return true;
}

int IsolatedExtractor::stop(bool kill) {
    if (kill)
        ::kill(pid_, SIGKILL);
    ::close(request_);   // a worker waiting for work ends at this
    ::close(reply_);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    pid_ = request_ = reply_ = -1;
    folder_.clear();
    return status;
}

Extraction IsolatedExtractor::extract(const std::string &path) {
    std::string error;
    if (pid_ <= 0 && !start(error))
        return failure(kStatusCrashed, error);
    Extraction extraction;
    if (!sendRequest(request_, {path, settings_.memoryBudget})) {
        extraction = failure(kStatusCrashed, describeEnd(stop(true)));
    } else if (!waitReadable(reply_, settings_.timeoutSeconds)) {
        stop(true);
        extraction = failure(kStatusTimedOut, statusText(kStatusTimedOut, Stage::Read));
    } else if (!receiveReply(reply_, extraction)) {
        extraction = failure(kStatusCrashed, describeEnd(stop(true)));
    }
    return extraction;
}

int runExtractionWorker() {
    // Ctrl-C goes to the whole process group: the program that started the
    // worker decides what happens, and ends its workers.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    std::string error;
    auto module = ReaderModule::load("", error);
    if (!module) {
        std::fprintf(stderr, "fixrd-worker: cannot load the reader module: %s\n", error.c_str());
        return 1;
    }
    Extractor extractor(*module);
    WorkRequest request;
    while (receiveRequest(STDIN_FILENO, request)) {
        extractor.host().memory().setLimits(host::MemoryAccount::kDefaultLargestBlock,
                                            request.memoryBudget > 0 ? request.memoryBudget
                                                                     : host::MemoryAccount::kDefaultBudget);
        if (!sendReply(STDOUT_FILENO, extractor.extract(request.path)))
            return 1;
    }
    return 0;
}

} // namespace fixrd
