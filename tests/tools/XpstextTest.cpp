#include "support/Command.h"
#include "support/PackageBuilder.h"
#include "support/PageHarness.h"

#include "RecordStream.h"

#include <gtest/gtest.h>

#include <regex>

namespace fixrd::test {
namespace {

const std::string kSample = std::string(FIXRD_SOURCE_DIR) + "/samples/sample.xps";

CommandResult xpstext(const std::vector<std::string> &arguments) {
    return runCommand(builtProgram("xpstext"), arguments);
}

TEST(Xpstext, HelpVersionAndUsageErrors) {
    CommandResult help = xpstext({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("--raw"), std::string::npos);
    CommandResult version = xpstext({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out.rfind("xpstext (fixrd) ", 0), 0u);
    EXPECT_EQ(xpstext({}).exitStatus, 2);
    CommandResult unknown = xpstext({"--no-such-option", kSample});
    EXPECT_EQ(unknown.exitStatus, 2);
    EXPECT_TRUE(unknown.out.empty());
}

TEST(Xpstext, SampleAsPlainRawAndWithItsCharset) {
    CommandResult plain = xpstext({kSample});
    ASSERT_EQ(plain.exitStatus, 0) << plain.err;
    EXPECT_EQ(plain.out.rfind("The Quiet Work of Fixed Pages\nA fixed page keeps", 0), 0u);
    EXPECT_EQ(plain.out.back(), '\n');
    EXPECT_TRUE(plain.err.empty());

    CommandResult raw = xpstext({"--raw", kSample});
    ASSERT_EQ(raw.exitStatus, 0);
    ASSERT_GE(raw.out.size(), 9u);
    EXPECT_EQ(raw.out[0], '\0');   // a text record comes first
    std::string decoded;
    ASSERT_TRUE(host::appendPlainText(raw.out, decoded));
    EXPECT_EQ(decoded + "\n", plain.out);

    CommandResult charset = xpstext({"--charset", kSample});
    EXPECT_EQ(charset.out.rfind("53\nThe Quiet Work", 0), 0u);
}

TEST(Xpstext, FailuresNameTheFileTheCauseAndTheStatus) {
    TempFile notZip("just some text, no zip here");
    CommandResult bad = xpstext({notZip.path()});
    EXPECT_EQ(bad.exitStatus, 1);
    EXPECT_TRUE(bad.out.empty());
    EXPECT_EQ(bad.err, "xpstext: " + notZip.path() +
                           ": not an XPS package: not a readable zip file, or fewer than two entries (status 12)\n");

    CommandResult missing = xpstext({"/nonexistent/file.xps"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, "xpstext: /nonexistent/file.xps: cannot be opened: No such file or directory (status 12)\n");

    // A document that fails on a page prints nothing of what came before it.
    TempFile foreign(PackageBuilder::document({markup::page(glyphs(1, 1, "early")),
                                               markup::page("<x:Foo xmlns:x=\"urn:vendor\"/>")})
                         .bytes());
    CommandResult pageFailure = xpstext({kSample, foreign.path()});
    EXPECT_EQ(pageFailure.exitStatus, 1);
    EXPECT_EQ(pageFailure.out.find("early"), std::string::npos);
    EXPECT_NE(pageFailure.out.find("End of the sample."), std::string::npos);
    // Two documents make a batch run, which ends with a summary.
    std::string failureLine = "xpstext: " + foreign.path() + ": page markup could not be read (status 6)\n";
    ASSERT_EQ(pageFailure.err.rfind(failureLine, 0), 0u) << pageFailure.err;
    EXPECT_TRUE(std::regex_match(pageFailure.err.substr(failureLine.size()),
                                 std::regex(R"(xpstext: 2 documents, 1 failed, \d+\.\d\d s \(\d+\.\d documents/s\)\n)")))
        << pageFailure.err;
}

} // namespace
} // namespace fixrd::test
