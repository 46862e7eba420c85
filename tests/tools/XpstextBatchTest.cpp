// xpstext over many documents: folders, lists, -o trees, -j, --jsonl and
// the failures a batch meets.
#include "ToolSupport.h"

#include "support/Command.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fixrd::test {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

const std::string kCorpus = FIXRD_CORPUS_DIR;

CommandResult xpstext(const std::vector<std::string> &arguments, const std::string &input = {}) {
    return runCommand(builtProgram("xpstext"), arguments, input);
}

// The command's lines on standard error but the last, the summary, whose
// time varies.
std::string withoutSummary(const std::string &err) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = err.find('\n', at)) != std::string::npos; at = end + 1)
        if (err.compare(at, 9, "xpstext: ") == 0)
            lines.push_back(err.substr(at, end + 1 - at));
    std::string kept;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        kept += lines[i];
    return kept;
}

std::vector<nlohmann::json> jsonLines(const std::string &out) {
    std::vector<nlohmann::json> lines;
    size_t at = 0;
    for (size_t end; (end = out.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(nlohmann::json::parse(out.substr(at, end - at)));
    EXPECT_EQ(at, out.size()) << "the last line has no newline";
    return lines;
}

TEST(XpstextBatch, OneOrFourJobsGiveTheSameTextsAndTrees) {
    if (!fs::is_directory(kCorpus))
        GTEST_SKIP() << "the public corpus is not at " << kCorpus << "; nothing to compare";
    CommandResult serial = xpstext({"-j", "1", kCorpus});
    CommandResult parallel = xpstext({"-j", "4", kCorpus});
    EXPECT_EQ(serial.exitStatus, parallel.exitStatus);
    EXPECT_GT(serial.out.size(), 10000u);
    EXPECT_EQ(serial.out, parallel.out);
    EXPECT_EQ(withoutSummary(serial.err), withoutSummary(parallel.err));

    TempFolder one, four;
    EXPECT_EQ(xpstext({"-q", "-j", "1", "-o", one.path(), kCorpus}).exitStatus, serial.exitStatus);
    EXPECT_EQ(xpstext({"-q", "-j", "4", "-o", four.path(), kCorpus}).exitStatus, serial.exitStatus);
    Tree tree = readTree(one.path());
    EXPECT_EQ(tree, readTree(four.path()));
    // The files hold what standard output showed, document by document.
    std::string joined;
    for (const auto &[name, text] : tree) {
        EXPECT_EQ(name.substr(name.size() - 4), ".txt") << name;
        joined += text;
    }
    EXPECT_EQ(joined, serial.out);
}

TEST(XpstextBatch, AFailingDocumentAmongGoodOnes) {
    TempFolder in, out;
    writeFile(in / "a.xps", documentSaying("alpha"));
    writeFile(in / "b.xps", "not a zip at all");
    writeFile(in / "c/d.OXPS", documentSaying("delta"));
    writeFile(in / "notes.txt", "not a document, not taken");
    CommandResult run = xpstext({"--jsonl", "-o", out.path(), in.path()});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(readTree(out.path()), (Tree{{"a.xps.txt", "alpha\n"}, {"c/d.OXPS.txt", "delta\n"}}));
    std::string failure = "xpstext: " + (in / "b.xps") +
                          ": not an XPS package: not a readable zip file, or fewer than two entries (status 12)\n";
    EXPECT_EQ(run.err.rfind(failure + "xpstext: 3 documents, 1 failed, ", 0), 0u) << run.err;

    std::vector<nlohmann::json> lines = jsonLines(run.out);
    ASSERT_EQ(lines.size(), 3u);
    std::vector<std::string> keys;
    for (const auto &member : lines[0].items())
        keys.push_back(member.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"bytes", "message", "output", "path", "seconds", "status"}));
    EXPECT_EQ(lines[0]["path"], in / "a.xps");
    EXPECT_EQ(lines[0]["output"], out / "a.xps.txt");
    EXPECT_EQ(lines[0]["status"], 0);
    EXPECT_EQ(lines[0]["message"], "");
    EXPECT_EQ(lines[0]["bytes"], 6);
    EXPECT_TRUE(lines[0]["seconds"].is_number() && lines[0]["seconds"] >= 0);
    EXPECT_EQ(lines[1]["path"], in / "b.xps");
    EXPECT_EQ(lines[1]["status"], 12);
    EXPECT_EQ("xpstext: " + in / "b.xps" + ": " + lines[1]["message"].get<std::string>() + " (status 12)\n", failure);
    EXPECT_TRUE(lines[1]["output"].is_null());
    EXPECT_EQ(lines[1]["bytes"], 0);
    EXPECT_EQ(lines[2]["path"], in / "c/d.OXPS");

    // To standard output: the good texts in input order, nothing of the bad one.
    CommandResult toStdout = xpstext({"-j", "3", in.path()});
    EXPECT_EQ(toStdout.exitStatus, 1);
    EXPECT_EQ(toStdout.out, "alpha\ndelta\n");
}

TEST(XpstextBatch, FoldersAreWalkedInByteOrderWithoutFollowingFolderLinks) {
    TempFolder in, elsewhere;
    for (const char *name : {"b.xps", "a/z.xps", "A.XPS", "a-b.oxps"}) {
        std::string stem = fs::path(name).stem().string();
        writeFile(in / name, documentSaying(stem));
    }
    writeFile(elsewhere / "hidden.xps", documentSaying("hidden"));
    fs::create_directory_symlink(elsewhere.path(), in / "linked");
    fs::create_symlink(in / "b.xps", in / "link.xps");
    CommandResult run = xpstext({"-j", "2", in.path()});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "A\na-b\nz\nb\nb\n");
}

TEST(XpstextBatch, UnreadablePathsAndFoldersWithoutDocuments) {
    TempFolder in, out;
    writeFile(in / "good.xps", documentSaying("fine"));
    writeFile(in / "plain/readme.txt", "no documents here");
    fs::create_directory(in / "empty");
    ASSERT_EQ(::mkfifo((in / "pipe.xps").c_str(), 0600), 0);
    CommandResult run = xpstext({"-o", out.path(), in / "missing.xps", in / "empty", in / "plain",
                                 in / "good.xps/inner.xps", in / "pipe.xps", in / "good.xps"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(withoutSummary(run.err),
              "xpstext: " + in / "missing.xps" + ": cannot be opened: No such file or directory (status 12)\n" +
                  "xpstext: " + in / "empty" + ": no .xps or .oxps files in this folder (status 201)\n" +
                  "xpstext: " + in / "plain" + ": no .xps or .oxps files in this folder (status 201)\n" +
                  "xpstext: " + in / "good.xps/inner.xps" + ": cannot be opened: Not a directory (status 12)\n" +
                  "xpstext: " + in / "pipe.xps" + ": not a regular file or folder (status 202)\n");
    EXPECT_NE(run.err.find("\nxpstext: 6 documents, 5 failed, "), std::string::npos);
    // A file named by its absolute path keeps that path below the -o folder.
    EXPECT_EQ(readTree(out.path()), (Tree{{(in / "good.xps.txt").substr(1), "fine\n"}}));

    // Root reads any folder, so as root the command runs as nobody.
    std::vector<std::string> asNobody;   // the setpriv arguments, then the command's
    if (::geteuid() == 0) {
        if (::access("/usr/bin/setpriv", X_OK) != 0)
            GTEST_SKIP() << "running as root without setpriv: unreadable folders not tried";
        asNobody = {"--reuid=65534", "--regid=65534", "--clear-groups", builtProgram("xpstext")};
        fs::permissions(in.path(), fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec, fs::perm_options::add);
        std::vector<std::string> probe = asNobody;
        probe.push_back(in / "good.xps");
        if (runCommand("/usr/bin/setpriv", probe).exitStatus != 0)
            GTEST_SKIP() << "nobody cannot run " << asNobody[3] << ": unreadable folders not tried";
    }
    fs::create_directory(in / "locked");
    fs::permissions(in / "locked", fs::perms::none);
    asNobody.insert(asNobody.end(), {"-q", in.path()});
    CommandResult locked = ::geteuid() == 0 ? runCommand("/usr/bin/setpriv", asNobody) : xpstext(asNobody);
    EXPECT_EQ(locked.exitStatus, 1);
    EXPECT_EQ(locked.err, "xpstext: " + in / "locked" + ": cannot read the folder: Permission denied (status 200)\n" +
                              "xpstext: " + in / "pipe.xps" + ": not a regular file or folder (status 202)\n");
    EXPECT_EQ(locked.out, "fine\n");
}

TEST(XpstextBatch, Files0FromTakesNamesWithSpacesAndNewlines) {
    TempFolder in, out;
    const std::vector<std::string> names = {"with space.xps", "new\nline.xps", "tab\tand 'quote'.oxps"};
    const std::vector<std::string> texts = {"one", "two", "three"};
    for (size_t i = 0; i < names.size(); ++i)
        writeFile(in / names[i], documentSaying(texts[i]));
    // An empty name between two NULs, and no NUL after the last name.
    std::string list = in / names[0] + '\0' + in / names[1] + '\0' + '\0' + in / names[2];
    CommandResult run = xpstext({"--jsonl", "-o", out.path(), "--files0-from=-"}, list);
    EXPECT_EQ(run.exitStatus, 1);
    std::vector<nlohmann::json> lines = jsonLines(run.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1]["path"], in / names[1]);
    EXPECT_EQ(lines[2]["path"], "--files0-from=-");
    EXPECT_EQ(lines[2]["status"], 202);
    EXPECT_EQ(lines[2]["message"], "entry 3 is an empty file name");
    EXPECT_EQ(lines[3]["path"], in / names[2]);
    for (size_t i : {0, 1, 3})
        EXPECT_EQ(readFile(lines[i]["output"]), texts[i == 3 ? 2 : i] + "\n");

    writeFile(in / "list", in / names[2] + '\0' + in / names[1] + '\0');
    CommandResult fromFile = xpstext({"-q", "--files0-from", in / "list"});
    EXPECT_EQ(fromFile.exitStatus, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out, "three\ntwo\n");
    EXPECT_TRUE(fromFile.err.empty());
}

TEST(XpstextBatch, OutputsNeverReplaceInputsNorEachOther) {
    TempFolder in, other, out;
    writeFile(in / "a.xps", documentSaying("first"));
    // An XPS under the name a.xps's text would get, named as an input.
    std::string disguised = documentSaying("disguised");
    writeFile(in / "a.xps.txt", disguised);
    CommandResult run = xpstext({"-q", "-o", in.path(), in.path(), in / "a.xps.txt"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "xpstext: " + in / "a.xps" + ": its output " + in / "a.xps.txt" +
                           " is one of the inputs; it was not overwritten (status 203)\n");
    EXPECT_EQ(readFile(in / "a.xps.txt"), disguised);

    writeFile(other / "a.xps", documentSaying("second"));
    CommandResult clash = xpstext({"-q", "-o", out.path(), in.path(), other.path()});
    EXPECT_EQ(clash.exitStatus, 1);
    EXPECT_EQ(clash.err, "xpstext: " + other / "a.xps" + ": its output " + out / "a.xps.txt" +
                             " is already the output of " + in / "a.xps" + " (status 203)\n");
    EXPECT_EQ(readTree(out.path()), (Tree{{"a.xps.txt", "first\n"}}));
}

TEST(XpstextBatch, UsageErrorsExitTwoAndReadNothing) {
    TempFolder folder;
    writeFile(folder / "file", "a file, not a folder");
    const std::string sample = std::string(FIXRD_SOURCE_DIR) + "/samples/sample.xps";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-j", "0", sample}, "-j"},
        {{"-j", "many", sample}, "-j"},
        {{"--jsonl", sample}, "--jsonl needs -o DIR"},
        {{"--files0-from=-", sample}, "file operands cannot be combined with --files0-from"},
        {{"-o", folder / "file", sample}, "xpstext: -o " + folder / "file" + ": "},
        {{"--files0-from", folder / "none"}, "xpstext: cannot read the list " + folder / "none"},
        {{}, "no input"},
    };
    for (const auto &[arguments, expected] : cases) {
        CommandResult run = xpstext(arguments);
        EXPECT_EQ(run.exitStatus, 2) << expected;
        EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << expected;
    }
}

} // namespace
} // namespace fixrd::test
