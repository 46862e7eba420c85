#include "HostileRun.h"

#include "support/TestHost.h"

#include "Extractor.h"
#include "RecordStream.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace fixrd::test {

namespace {

namespace fs = std::filesystem;

void writeAll(int fd, const std::string &bytes) {
    for (size_t at = 0; at < bytes.size();) {
        ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (n <= 0)
            return;
        at += static_cast<size_t>(n);
    }
}

// A "Vm..." line of /proc/self/status, in KiB.
long statusKiB(const char *field) {
    std::istringstream status(readFile("/proc/self/status"));
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::strlen(field)));
    return 0;
}

// The child's side: one line per field, the text last.  Its peak memory is
// counted from what it had on arrival, which is the test's.
[[noreturn]] void child(const std::string &path, const std::string &scratch, int out, unsigned seconds) {
    alarm(seconds);
    long arrival = statusKiB("VmRSS:");
    setenv("TMPDIR", scratch.c_str(), 1);
    std::string error;
    auto module = ReaderModule::load(FIXRD_LIB_DIR, error);
    if (!module)
        _exit(3);
    std::ostringstream report;
    auto started = std::chrono::steady_clock::now();
    {
        Extractor extractor(*module);
        Extraction result = extractor.extract(path);
        std::string text;
        host::appendPlainText(result.records, text);
        host::ReferenceHost &host = extractor.host();
        report << result.status << '\n'
               << result.message << '\n'
               << text.size() << '\n'
               << host.memory().blocksOutstanding() << '\n'
               << host.files().live() << '\n'
               << host.files().temporaryFiles() << '\n'
               << host.files().peakTemporaryBytes() << '\n'
               << statusKiB("VmHWM:") - arrival << '\n';
        report << std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() << '\n';
        report << text.substr(0, 4096);
    }
    writeAll(out, report.str());
    _exit(0);
}

} // namespace

bool sanitized() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#else
    return false;
#endif
}

Cost extractInChild(const std::string &path, unsigned seconds) {
    std::string scratch = makePrivateFolder("fixrd-hostile");
    Cost cost;
    int pipes[2];
    if (::pipe(pipes) != 0)
        return cost;
    pid_t pid = fork();
    if (pid == 0) {
        ::close(pipes[0]);
        child(path, scratch, pipes[1], seconds);
    }
    ::close(pipes[1]);
    std::string report;
    char block[4096];
    for (ssize_t n; (n = ::read(pipes[0], block, sizeof block)) > 0;)
        report.append(block, static_cast<size_t>(n));
    ::close(pipes[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    cost.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    std::istringstream lines(report);
    std::string line;
    auto next = [&] { return std::getline(lines, line) ? line : std::string(); };
    if (!report.empty()) {
        cost.status = static_cast<uint32_t>(std::stoul(next()));
        cost.message = next();
        cost.textBytes = std::stoull(next());
        cost.blocksLeft = std::stoll(next());
        cost.objectsLeft = std::stoll(next());
        cost.temporariesLeft = std::stoll(next());
        cost.peakDiskBytes = std::stoll(next());
        cost.peakKiB = std::stol(next());
        cost.seconds = std::stod(next());
        std::ostringstream rest;
        rest << lines.rdbuf();
        cost.text = rest.str();
    }
    std::error_code error;
    cost.scratchLeft = !fs::is_empty(scratch, error) || error;
    fs::remove_all(scratch, error);
    return cost;
}

std::string Cost::describe() const {
    std::ostringstream out;
    out << "status " << status << " (" << message << "), " << textBytes << " bytes of text, " << seconds << " s, peak "
        << peakKiB / 1024 << " MiB resident, " << peakDiskBytes / (1024 * 1024) << " MiB temporary";
    if (signal != 0)
        out << ", killed by signal " << signal;
    return out.str();
}

} // namespace fixrd::test
