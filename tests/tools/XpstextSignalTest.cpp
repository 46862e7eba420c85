// xpstext stopped by SIGINT or SIGTERM in the middle of a document, or while
// it waits on a reader that does not read: the hosts' temporary files go and
// the command dies of the signal, so a shell sees 130 or 143.  A batch
// killed or terminated leaves only complete texts behind.
#include "ToolSupport.h"

#include "ScratchRemoval.h"
#include "support/Command.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

namespace fixrd::test {
namespace {

namespace fs = std::filesystem;

// What is below `folder`, one path a line; with hostFiles, only the files
// in a folder of xpstext's own, as a host's temporary files are (a TSan
// runtime keeps one straight in `folder` briefly while it starts).
std::string listing(const std::string &folder, bool hostFiles = false) {
    std::string paths;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        if (!hostFiles || (it.depth() > 0 && it->is_regular_file(error)))
            paths += it->path().string() + "\n";
    return paths;
}

// Sanitizer builds read a long document some thirty times slower.
template <class Condition> bool waitFor(Condition condition, int seconds = 300) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Pages of sixty lines of 110 characters, some 6.7 kB of text a page.
std::string longDocument(size_t pages) {
    return documentWithLines(std::vector<std::vector<std::string>>(pages, std::vector<std::string>(60, std::string(110, 'z'))), true);
}

class XpstextSignals : public ::testing::Test {
protected:
    TempFolder in, scratch;
    std::string document = in / "long.xps";
    std::vector<pid_t> children;

    void TearDown() override {
        // None may outlive the folders it reads and writes.
        for (pid_t child : children) {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
    }
    // The signal `child` died of within 20 s; -1 when it did not die of one.
    int signalOfDeath(pid_t child) {
        int status = 0;
        if (!waitFor([&] { return waitpid(child, &status, WNOHANG) == child; }, 20))
            return -1;
        children.erase(std::find(children.begin(), children.end(), child));
        return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    }
    // Runs xpstext with `arguments`, standard output to `out` (else /dev/null), TMPDIR the scratch folder.
    pid_t start(int out, std::vector<std::string> arguments = {}) {
        if (arguments.empty())
            arguments = {document};
        arguments.insert(arguments.begin(), "xpstext");
        pid_t child = fork();
        if (child == 0) {
            dup2(out >= 0 ? out : open("/dev/null", O_WRONLY), 1);
            setenv("TMPDIR", scratch.path().c_str(), 1);
            std::vector<char *> argv;
            for (std::string &argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(builtProgram("xpstext").c_str(), argv.data());
            _exit(127);
        }
        children.push_back(child);
        return child;
    }
};

TEST_F(XpstextSignals, MidDocumentOrBlockedOnAFullPipeTheHostsFilesGoAndTheCommandDiesOfTheSignal) {
    writeFile(document, longDocument(1500));   // long enough to be caught in the middle
    for (int signal : {SIGINT, SIGTERM}) {
        pid_t child = start(-1);
        ASSERT_TRUE(waitFor([&] { return !listing(scratch.path(), true).empty(); })) << "no temporary file showed";
        kill(child, signal);
        EXPECT_EQ(signalOfDeath(child), signal);
        EXPECT_EQ(listing(scratch.path()), "") << "left in the scratch folder after signal " << signal;
    }

    // The text is far larger than a pipe: once the pipe is full, the command waits on it.
    int pipes[2], pending = 0;
    ASSERT_EQ(pipe(pipes), 0);
    pid_t child = start(pipes[1]);
    close(pipes[1]);
    ASSERT_TRUE(waitFor([&] { return ioctl(pipes[0], FIONREAD, &pending) == 0 && pending >= 65536; }));
    kill(child, SIGTERM);
    EXPECT_EQ(signalOfDeath(child), SIGTERM);
    EXPECT_EQ(listing(scratch.path()), "");
    close(pipes[0]);
}

TEST_F(XpstextSignals, KilledOrTerminatedBatchLeavesNoPartialText) {
    // Four documents with a few megabytes of text each, so that writing them takes a while.
    for (const char *name : {"d1.xps", "d2.xps", "d3.xps", "d4.xps"})
        writeFile(in / name, longDocument(500));
    CommandResult whole = runCommand(builtProgram("xpstext"), {in / "d1.xps"});
    ASSERT_EQ(whole.exitStatus, 0) << whole.err;
    ASSERT_GT(whole.out.size(), 3000000u);

    const std::regex temporary(R"(\.d\d\.xps\.txt\.xpstext-tmp\.[A-Za-z0-9]{6})");
    for (int signal : {SIGKILL, SIGTERM}) {
        TempFolder out;
        for (const auto &left : fs::directory_iterator(scratch.path()))   // what SIGKILL could not take away
            fs::remove_all(left.path());
        pid_t child = start(-1, {"-q", "-j", "2", "-o", out.path(), in.path()});
        std::error_code error;
        ASSERT_TRUE(waitFor([&] { return !fs::is_empty(out.path(), error); }, 60)) << "no output within a minute";
        kill(child, signal);
        ASSERT_EQ(signalOfDeath(child), signal);
        // Every .txt is whole; after SIGKILL temporaries under their marked names may stay.
        for (const auto &[name, contents] : readTree(out.path())) {
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0)
                EXPECT_TRUE(contents == whole.out) << name << " holds " << contents.size() << " bytes";
            else
                EXPECT_TRUE(signal == SIGKILL && std::regex_match(name, temporary)) << "left behind: " << name;
        }
        EXPECT_TRUE(signal == SIGKILL || listing(scratch.path()).empty()) << "the run's scratch folder was left behind";
    }
}

TEST(ScratchRemoval, EmptiesTheFolderFromASignalHandlerWithoutFollowingLinks) {
    TempFolder outside, scratch;
    std::string folder = scratch / "xpstext-scratch";
    writeFile(folder + "/fixrd-1/io-2", std::string(100000, 'x'));
    writeFile(folder + "/fixrd-2/deeper/still/io-3", "font");
    for (int i = 0; i < 300; ++i)
        writeFile(folder + "/fixrd-3/io-" + std::to_string(i), "many");
    writeFile(outside / "kept", "not ours");
    fs::create_symlink(outside.path(), folder + "/fixrd-2/link");
    xpstext::prepareScratchRemoval(folder);
    struct sigaction action {};
    action.sa_handler = [](int) { xpstext::removeScratch(); };
    sigaction(SIGUSR1, &action, nullptr);
    raise(SIGUSR1);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(readFile(outside / "kept"), "not ours");
}

} // namespace
} // namespace fixrd::test
