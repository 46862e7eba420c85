// The README's multi-host pipeline, run on this machine alone: find, GNU
// parallel, several xpstext runs, one report.
#include "ToolSupport.h"

#include "support/Command.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <set>
#include <sstream>

namespace fixrd::test {
namespace {

TEST(ParallelExample, RunsLocallyAsTheReadmeShowsIt) {
    if (::access("/usr/bin/parallel", X_OK) != 0)
        GTEST_SKIP() << "GNU parallel is not installed (scripts/install-deps installs it)";
    TempFolder archive, texts;
    const std::vector<std::string> names = {"a.xps", "b c.OXPS", "new\nline.xps", "sub/d.xps", "sub/e.oxps"};
    for (const std::string &name : names)
        writeFile(archive / name, documentSaying("text of " + name.substr(0, 1)));
    writeFile(archive / "sub/broken.xps", "not a package");
    writeFile(archive / "sub/notes.txt", "not taken");

    // As in the README, with this machine as the only host, taking two runs at once.
    std::string pipeline = "find '" + archive.path() + "' -type f \\( -iname '*.xps' -o -iname '*.oxps' \\) -print0 |"
                           " parallel --will-cite -0 -X --sshlogin 2/: '" + builtProgram("xpstext") +
                           "' -q --jsonl -o '" + texts.path() + "' > '" + texts / "report.jsonl" + "'";
    CommandResult run = runCommand("/bin/sh", {"-c", pipeline});
    EXPECT_EQ(run.exitStatus, 1) << "one xpstext run met the broken document\n" << run.err;

    std::istringstream report(readFile(texts / "report.jsonl"));
    std::set<std::string> reported;
    for (std::string line; std::getline(report, line);) {
        nlohmann::json document = nlohmann::json::parse(line);
        std::string path = document["path"];
        reported.insert(path);
        if (path == archive / "sub/broken.xps") {
            EXPECT_EQ(document["status"], 12);
            continue;
        }
        EXPECT_EQ(document["status"], 0) << line;
        std::string output = texts.path() + path + ".txt";
        EXPECT_EQ(document["output"], output);
        std::string name = path.substr(archive.path().size() + 1);
        EXPECT_EQ(readFile(output), "text of " + name.substr(0, 1) + "\n");
    }
    std::set<std::string> expected = {archive / "sub/broken.xps"};
    for (const std::string &name : names)
        expected.insert(archive / name);
    EXPECT_EQ(reported, expected);
}

} // namespace
} // namespace fixrd::test
