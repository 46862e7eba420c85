// xpstext as a user runs it: one document, folders, lists, -o trees, -j,
// --jsonl and the failures a batch meets.
#include "ToolSupport.h"

#include "support/Command.h"

#include "RecordStream.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <regex>

namespace fixrd::test {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

const std::string kSample = std::string(FIXRD_SOURCE_DIR) + "/samples/sample.xps";

CommandResult xpstext(const std::vector<std::string> &arguments, const std::string &input = {}) {
    return runCommand(builtProgram("xpstext"), arguments, input);
}
// Standard error but the summary, whose time varies.
std::string withoutSummary(const std::string &err) { return err.substr(0, err.rfind("xpstext: ")); }
// A JSON line as the command writes it, its time left out.
std::string report(const std::string &path, int status, const std::string &message, int bytes, const std::string &output) {
    return "{\"path\":\"" + path + "\",\"status\":" + std::to_string(status) + ",\"message\":\"" + message +
           "\",\"bytes\":" + std::to_string(bytes) + ",\"seconds\":S,\"output\":" +
           (output.empty() ? "null" : "\"" + output + "\"") + "}\n";
}
std::string withoutSeconds(const std::string &out) {
    return std::regex_replace(out, std::regex("\"seconds\":[0-9.e-]+,"), "\"seconds\":S,");
}

TEST(Xpstext, SampleAsPlainRawAndWithItsCharset) {
    CommandResult plain = xpstext({kSample}), raw = xpstext({"--raw", kSample});
    ASSERT_EQ(plain.exitStatus, 0) << plain.err;
    EXPECT_EQ(plain.out.rfind("The Quiet Work of Fixed Pages\nA fixed page keeps", 0), 0u);
    EXPECT_EQ(plain.out.back(), '\n');
    EXPECT_EQ(plain.err, "");
    ASSERT_EQ(raw.exitStatus, 0);
    EXPECT_EQ(raw.out[0], '\0');   // a text record comes first
    std::string decoded;
    ASSERT_TRUE(host::appendPlainText(raw.out, decoded));
    EXPECT_EQ(decoded + "\n", plain.out);
    EXPECT_EQ(xpstext({"--charset", kSample}).out.rfind("53\nThe Quiet Work", 0), 0u);
}

TEST(Xpstext, FailingDocumentsAmongGoodOnes) {
    TempFolder in, out;
    writeFile(in / "a.xps", documentSaying("alpha"));
    writeFile(in / "b.xps", "not a zip at all");
    writeFile(in / "c/d.OXPS", documentSaying("delta"));
    // A document that fails on a page: nothing of what came before is printed.
    writeFile(in / "e.xps", PackageBuilder::document({markup::page(glyphs(1, 1, "early")),
                                                      markup::page("<x:Foo xmlns:x=\"urn:vendor\"/>")}).bytes());
    writeFile(in / "notes.txt", "not a document, not taken");
    CommandResult run = xpstext({"--jsonl", "-o", out.path(), in.path()});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(readTree(out.path()), (Tree{{"a.xps.txt", "alpha\n"}, {"c/d.OXPS.txt", "delta\n"}}));
    const std::string notZip = "not an XPS package: not a readable zip file, or fewer than two entries";
    const std::string page = "page markup could not be read";
    EXPECT_TRUE(std::regex_match(run.err, std::regex("xpstext: " + in / "b.xps" + ": " + notZip + " \\(status 12\\)\n" +
                                                     "xpstext: " + in / "e.xps" + ": " + page + " \\(status 6\\)\n" +
                                                     R"(xpstext: 4 documents, 2 failed, \d+\.\d\d s \(\d+\.\d documents/s\)\n)")))
        << run.err;
    EXPECT_EQ(withoutSeconds(run.out), report(in / "a.xps", 0, "", 6, out / "a.xps.txt") + report(in / "b.xps", 12, notZip, 0, "") +
                                           report(in / "c/d.OXPS", 0, "", 6, out / "c/d.OXPS.txt") +
                                           report(in / "e.xps", 6, page, 0, ""));
    // To standard output: the good texts in input order, nothing of the bad ones.
    CommandResult toStdout = xpstext({"-j", "3", in.path()});
    EXPECT_EQ(toStdout.exitStatus, 1);
    EXPECT_EQ(toStdout.out, "alpha\ndelta\n");
}

TEST(Xpstext, FoldersAreWalkedInByteOrderWithoutFollowingFolderLinks) {
    TempFolder in, elsewhere;
    for (const char *name : {"b.xps", "a/z.xps", "A.XPS", "a-b.oxps"})
        writeFile(in / name, documentSaying(fs::path(name).stem().string()));
    writeFile(elsewhere / "hidden.xps", documentSaying("hidden"));
    fs::create_directory_symlink(elsewhere.path(), in / "linked");
    fs::create_symlink(in / "b.xps", in / "link.xps");
    CommandResult run = xpstext({"-j", "2", in.path()});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "A\na-b\nz\nb\nb\n");
}

TEST(Xpstext, UnreadablePathsAndFoldersWithoutDocuments) {
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
    std::vector<std::string> command = {builtProgram("xpstext"), "-q", in.path()};
    if (::geteuid() == 0) {
        command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
        fs::permissions(in.path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
        if (runCommand(command[0], {command.begin() + 1, command.end()}).out != "fine\n")
            GTEST_SKIP() << "nobody cannot run " << command[4] << " here: unreadable folders not tried";
    }
    fs::create_directory(in / "locked");
    fs::permissions(in / "locked", fs::perms::none);
    CommandResult locked = runCommand(command[0], {command.begin() + 1, command.end()});
    EXPECT_EQ(locked.exitStatus, 1);
    EXPECT_EQ(locked.err, "xpstext: " + in / "locked" + ": cannot read the folder: Permission denied (status 200)\n" +
                              "xpstext: " + in / "pipe.xps" + ": not a regular file or folder (status 202)\n");
    EXPECT_EQ(locked.out, "fine\n");
}

TEST(Xpstext, Files0FromTakesNamesWithSpacesAndNewlines) {
    TempFolder in, out;
    const std::vector<std::string> names = {"with space.xps", "new\nline.xps", "tab\tand 'quote'.oxps"};
    for (size_t i = 0; i < names.size(); ++i)
        writeFile(in / names[i], documentSaying(std::to_string(i)));
    // An empty name between two NULs, and no NUL after the last name.
    CommandResult run = xpstext({"--jsonl", "-o", out.path(), "--files0-from=-"},
                                in / names[0] + '\0' + in / names[1] + '\0' + '\0' + in / names[2]);
    EXPECT_EQ(run.exitStatus, 1);
    auto escaped = [](const std::string &name) { return std::regex_replace(std::regex_replace(name, std::regex("\n"), "\\n"), std::regex("\t"), "\\t"); };
    std::string expected;
    for (size_t i = 0; i < names.size(); ++i) {
        std::string output = out / (in / names[i]).substr(1) + ".txt";
        expected += report(escaped(in / names[i]), 0, "", 2, escaped(output));
        EXPECT_EQ(readFile(output), std::to_string(i) + "\n");
        if (i == 1)
            expected += report("--files0-from=-", 202, "entry 3 is an empty file name", 0, "");
    }
    EXPECT_EQ(withoutSeconds(run.out), expected);

    writeFile(in / "list", in / names[2] + '\0' + in / names[1] + '\0');
    CommandResult fromFile = xpstext({"-q", "--files0-from", in / "list"});
    EXPECT_EQ(fromFile.exitStatus, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out + fromFile.err, "2\n1\n");
}

TEST(Xpstext, OutputsNeverReplaceInputsNorEachOther) {
    TempFolder in, other, out;
    writeFile(in / "a.xps", documentSaying("first"));
    // An XPS under the name a.xps's text would get, named as an input.
    writeFile(in / "a.xps.txt", documentSaying("disguised"));
    CommandResult run = xpstext({"-q", "-o", in.path(), in.path(), in / "a.xps.txt"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "xpstext: " + in / "a.xps" + ": its output " + in / "a.xps.txt" +
                           " is one of the inputs; it was not overwritten (status 203)\n");
    EXPECT_EQ(readFile(in / "a.xps.txt"), documentSaying("disguised"));

    writeFile(other / "a.xps", documentSaying("second"));
    CommandResult clash = xpstext({"-q", "-o", out.path(), in.path(), other.path()});
    EXPECT_EQ(clash.exitStatus, 1);
    EXPECT_EQ(clash.err, "xpstext: " + other / "a.xps" + ": its output " + out / "a.xps.txt" +
                             " is already the output of " + in / "a.xps" + " (status 203)\n");
    EXPECT_EQ(readTree(out.path()), (Tree{{"a.xps.txt", "first\n"}}));
}

TEST(Xpstext, UsageErrorsExitTwoAndReadNothing) {
    TempFolder folder;
    writeFile(folder / "file", "a file, not a folder");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-j", "0", kSample}, "-j"},
        {{"--no-such-option", kSample}, "--no-such-option"},
        {{"--jsonl", kSample}, "--jsonl needs -o DIR"},
        {{"--files0-from=-", kSample}, "file operands cannot be combined with --files0-from"},
        {{"-o", folder / "file", kSample}, "xpstext: -o " + folder / "file" + ": "},
        {{"--files0-from", folder / "none"}, "xpstext: cannot read the list " + folder / "none"},
        {{}, "no input"},
    };
    for (const auto &[arguments, expected] : cases) {
        CommandResult run = xpstext(arguments);
        EXPECT_EQ(run.exitStatus, 2) << expected;
        EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << expected;
    }
}

} // namespace
} // namespace fixrd::test
