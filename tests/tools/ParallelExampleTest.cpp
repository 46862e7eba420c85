// The README's multi-host pipeline, run on this machine alone: find, GNU
// parallel, several xpstext runs, one report.
#include "ToolSupport.h"

#include "support/Command.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <sstream>

namespace fixrd::test {
namespace {

TEST(ParallelExample, RunsLocallyAsTheReadmeShowsIt) {
    if (::access("/usr/bin/parallel", X_OK) != 0)
        GTEST_SKIP() << "GNU parallel is not installed (scripts/install-deps installs it)";
    TempFolder archive, texts, reports;
    std::map<std::string, std::string> tree;   // the texts expected below texts
    std::map<std::string, std::pair<int, std::string>> expected = {{archive / "sub/broken.xps", {12, ""}}}, reported;
    for (const std::string name : {"a.xps", "b c.OXPS", "new\nline.xps", "sub/d.xps", "sub/e.oxps"}) {
        writeFile(archive / name, documentSaying("text of " + name.substr(0, 1)));
        tree[(archive / name).substr(1) + ".txt"] = "text of " + name.substr(0, 1) + "\n";
        expected[archive / name] = {0, texts.path() + archive / name + ".txt"};
    }
    writeFile(archive / "sub/broken.xps", "not a package");
    writeFile(archive / "sub/notes.txt", "not taken");

    // As in the README, with this machine as the only host, taking two runs at once.
    std::string pipeline = "find '" + archive.path() + "' -type f \\( -iname '*.xps' -o -iname '*.oxps' \\) -print0 |"
                           " parallel --will-cite -0 -X --sshlogin 2/: '" + builtProgram("xpstext") +
                           "' -q --jsonl -o '" + texts.path() + "' > '" + reports / "report.jsonl" + "'";
    CommandResult run = runCommand("/bin/sh", {"-c", pipeline});
    EXPECT_EQ(run.exitStatus, 1) << "one xpstext run met the broken document\n" << run.err;
    EXPECT_EQ(readTree(texts.path()), tree);
    std::istringstream report(readFile(reports / "report.jsonl"));
    size_t lines = 0;
    for (std::string line; std::getline(report, line); ++lines) {
        nlohmann::json document = nlohmann::json::parse(line);
        reported[document["path"]] = {document["status"], document["output"].is_null() ? "" : document["output"]};
    }
    EXPECT_EQ(reported, expected);
    EXPECT_EQ(lines, expected.size());
}

} // namespace
} // namespace fixrd::test
