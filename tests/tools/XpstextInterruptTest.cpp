// An interrupted xpstext leaves only complete texts behind: SIGKILL at the
// first sign of output, SIGTERM mid-run, and a reader that goes away.
#include "ToolSupport.h"

#include "support/Command.h"

#include <gtest/gtest.h>

#include <dirent.h>
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

// A document with a few megabytes of text, so that writing it takes a while.
const std::string &bigDocument() {
    static const std::string document = [] {
        std::vector<std::vector<std::string>> pages(500);
        for (size_t p = 0; p < pages.size(); ++p)
            for (int line = 0; line < 60; ++line)
                pages[p].push_back("Page " + std::to_string(p) + " line " + std::to_string(line) +
                                   std::string(100, static_cast<char>('a' + line % 26)));
        return documentWithLines(pages, true);
    }();
    return document;
}

// Starts xpstext with TMPDIR set, its output thrown away.
pid_t start(const std::vector<std::string> &arguments, const std::string &tmpdir) {
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        setenv("TMPDIR", tmpdir.c_str(), 1);
        std::vector<char *> argv = {const_cast<char *>("xpstext")};
        for (const std::string &argument : arguments)
            argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        std::string program = builtProgram("xpstext");
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return child;
}

// Waits until `folder` holds an entry, true when one came in time.
bool waitForEntry(const std::string &folder) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        DIR *dir = opendir(folder.c_str());
        bool found = false;
        for (dirent *entry; dir != nullptr && !found && (entry = readdir(dir)) != nullptr;)
            found = entry->d_name[0] != '.' || (entry->d_name[1] != '\0' && std::string(entry->d_name) != "..");
        if (dir != nullptr)
            closedir(dir);
        if (found)
            return true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

// Every .txt is whole; anything else is a temporary under its marked name.
void expectOnlyWholeTexts(const std::string &folder, const std::string &text, bool temporariesAllowed) {
    const std::regex temporary(R"(\.d\d\.xps\.txt\.xpstext-tmp\.[A-Za-z0-9]{6})");
    for (const auto &[name, contents] : readTree(folder)) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0)
            EXPECT_TRUE(contents == text) << name << " holds " << contents.size() << " of " << text.size() << " bytes";
        else
            EXPECT_TRUE(temporariesAllowed && std::regex_match(name, temporary)) << "left behind: " << name;
    }
}

class XpstextInterrupt : public ::testing::Test {
protected:
    TempFolder in, out, scratch;
    std::string text;
    void SetUp() override {
        for (const char *name : {"d1.xps", "d2.xps", "d3.xps", "d4.xps"})
            writeFile(in / name, bigDocument());
        CommandResult whole = runCommand(builtProgram("xpstext"), {in / "d1.xps"});
        ASSERT_EQ(whole.exitStatus, 0) << whole.err;
        text = whole.out;
        ASSERT_GT(text.size(), 3000000u);
    }
    // Runs a batch into `out` and sends `signal` once its first file shows.
    int interruptWith(int signal) {
        pid_t child = start({"-q", "-j", "2", "-o", out.path(), in.path()}, scratch.path());
        EXPECT_TRUE(waitForEntry(out.path()));
        kill(child, signal);
        int status = 0;
        waitpid(child, &status, 0);
        return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    }
};

TEST_F(XpstextInterrupt, KilledMidWriteLeavesNoPartialText) {
    ASSERT_EQ(interruptWith(SIGKILL), SIGKILL);
    expectOnlyWholeTexts(out.path(), text, true);
}

TEST_F(XpstextInterrupt, TerminatedRunRemovesItsTemporariesAndDiesOfTheSignal) {
    ASSERT_EQ(interruptWith(SIGTERM), SIGTERM);
    expectOnlyWholeTexts(out.path(), text, false);
    EXPECT_TRUE(readTree(scratch.path()).empty());
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path())) << "the run's scratch folder was left behind";
}

} // namespace
} // namespace fixrd::test
