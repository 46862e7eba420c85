// An interrupted xpstext leaves only complete texts behind: SIGKILL at the
// first sign of output, SIGTERM mid-run.
#include "ToolSupport.h"

#include "support/Command.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

namespace fixrd::test {
namespace {

namespace fs = std::filesystem;

// Runs a batch over `in` into `out` with TMPDIR `scratch`, its output thrown
// away, and sends `signal` once the first file shows in `out`; the signal
// the command died of.
int interruptWith(int signal, const std::string &in, const std::string &out, const std::string &scratch) {
    std::string program = builtProgram("xpstext");
    std::vector<std::string> arguments = {"xpstext", "-q", "-j", "2", "-o", out, in};
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0), dup2(null, 1), dup2(null, 2);
        setenv("TMPDIR", scratch.c_str(), 1);
        std::vector<char *> argv;
        for (std::string &argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::error_code error;
    while (fs::is_empty(out, error) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    EXPECT_FALSE(fs::is_empty(out, error)) << "no output within a minute";
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
}

TEST(XpstextInterrupt, KilledOrTerminatedRunLeavesNoPartialText) {
    // Four documents with a few megabytes of text each, so that writing them takes a while.
    std::vector<std::vector<std::string>> pages(500);
    for (size_t p = 0; p < pages.size(); ++p)
        for (int line = 0; line < 60; ++line)
            pages[p].push_back("Page " + std::to_string(p) + " line " + std::to_string(line) +
                               std::string(100, static_cast<char>('a' + line % 26)));
    TempFolder in;
    for (const char *name : {"d1.xps", "d2.xps", "d3.xps", "d4.xps"})
        writeFile(in / name, documentWithLines(pages, true));
    CommandResult whole = runCommand(builtProgram("xpstext"), {in / "d1.xps"});
    ASSERT_EQ(whole.exitStatus, 0) << whole.err;
    ASSERT_GT(whole.out.size(), 3000000u);

    const std::regex temporary(R"(\.d\d\.xps\.txt\.xpstext-tmp\.[A-Za-z0-9]{6})");
    for (int signal : {SIGKILL, SIGTERM}) {
        TempFolder out, scratch;
        ASSERT_EQ(interruptWith(signal, in.path(), out.path(), scratch.path()), signal);
        // Every .txt is whole; after SIGKILL temporaries under their marked names may stay.
        for (const auto &[name, contents] : readTree(out.path())) {
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0)
                EXPECT_TRUE(contents == whole.out) << name << " holds " << contents.size() << " bytes";
            else
                EXPECT_TRUE(signal == SIGKILL && std::regex_match(name, temporary)) << "left behind: " << name;
        }
        EXPECT_TRUE(signal == SIGKILL || fs::is_empty(scratch.path())) << "the run's scratch folder was left behind";
    }
}

} // namespace
} // namespace fixrd::test
