// The command's parts on their own: output and temporary names, report
// formats and the order in which a batch hands its outcomes back.
#include "BatchRunner.h"
#include "JsonLines.h"
#include "OutputNames.h"
#include "OutputWriter.h"
#include "Progress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <thread>

namespace xpstext {
namespace {

InputItem item(const std::string &path, const std::string &relative) {
    InputItem item;
    item.path = path;
    item.relative = relative;
    return item;
}

TEST(XpstextParts, OutputAndTemporaryNamesStayInsideTheFolder) {
    EXPECT_EQ(cleanRelativePath("a/./b/../c.xps"), "a/b/c.xps");
    EXPECT_EQ(cleanRelativePath("/data//x.xps"), "data/x.xps");
    EXPECT_EQ(cleanRelativePath("../../x.oxps"), "x.oxps");
    // Which name meets which, and the messages, show in the command's own tests.
    std::vector<InputItem> items = {item("in/a.xps", "a.xps"), item("/abs/b.XPS", "/abs/b.XPS"), item("..", "..")};
    assignOutputs(items, "out/", ".txt");
    EXPECT_EQ(items[0].output + " " + items[1].output + " " + items[2].output, "out/a.xps.txt out/abs/b.XPS.txt out/unnamed.txt");
    std::vector<InputItem> atRoot = {item("x.xps", "x.xps")};
    assignOutputs(atRoot, "/", ".rec");
    EXPECT_EQ(atRoot[0].output, "/x.xps.rec");

    EXPECT_EQ(temporaryPattern("out/a/report.xps.txt"), "out/a/.report.xps.txt.xpstext-tmp.XXXXXX");
    EXPECT_EQ(temporaryPattern("plain.txt"), ".plain.txt.xpstext-tmp.XXXXXX");
    std::string pattern = temporaryPattern("out/" + std::string(250, 'n'));   // cut to the longest name a folder takes
    EXPECT_EQ(pattern.size() - 4, 255u);
    EXPECT_EQ(pattern.substr(pattern.size() - 19), ".xpstext-tmp.XXXXXX");
}

TEST(XpstextParts, ReportLinesHaveTheirExactFormat) {
    InputItem good = item("dir/a \"q\".xps", "");
    good.output = "out/a \"q\".xps.txt";
    Outcome success;
    success.bytes = 42;
    success.seconds = 0.01234567;
    success.written = true;
    EXPECT_EQ(jsonLine(good, success), "{\"path\":\"dir/a \\\"q\\\".xps\",\"status\":0,\"message\":\"\",\"bytes\":42,"
                                       "\"seconds\":0.012346,\"output\":\"out/a \\\"q\\\".xps.txt\"}\n");
    Outcome failure;
    failure.status = 104;
    failure.message = "a part is damaged";
    EXPECT_EQ(jsonLine(item("bad\xff.xps", ""), failure),
              "{\"path\":\"bad\xef\xbf\xbd.xps\",\"status\":104,\"message\":\"a part is damaged\",\"bytes\":0,"
              "\"seconds\":0.0,\"output\":null}\n");

    EXPECT_EQ(summaryLine(12, 1, 0.5), "xpstext: 12 documents, 1 failed, 0.50 s (24.0 documents/s)");
    EXPECT_EQ(summaryLine(1, 0, 0), "xpstext: 1 document, 0 failed, 0.00 s (0.0 documents/s)");
}

TEST(XpstextParts, OutcomesComeBackInOrderWithinTheWindow) {
    std::string error;
    auto module = fixrd::ReaderModule::load(FIXRD_LIB_DIR, error);
    ASSERT_TRUE(module) << error;
    constexpr size_t kCount = 60, kWindow = 5;
    std::atomic<size_t> delivered{0}, furthestAhead{0};
    auto work = [&](size_t index, fixrd::Extractor &) {
        // Early documents are the slow ones, so later ones finish first.
        std::this_thread::sleep_for(std::chrono::microseconds(index % 7 == 0 ? 3000 : 100));
        size_t ahead = index - delivered.load();
        for (size_t seen = furthestAhead.load(); ahead > seen && !furthestAhead.compare_exchange_weak(seen, ahead);)
            ;
        Outcome outcome;
        outcome.bytes = index;
        return outcome;
    };
    std::vector<size_t> order, expected(kCount);
    auto deliver = [&](size_t index, Outcome &outcome) {
        order.push_back(outcome.bytes == index ? index : kCount);
        delivered = index + 1;
        return true;
    };
    BatchRunner runner(*module, 4, kWindow);
    EXPECT_TRUE(runner.run(kCount, work, deliver, [] { return true; }));
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(order, expected);
    EXPECT_LT(furthestAhead.load(), kWindow);

    // A deliver that says stop ends the run early.
    order.clear();
    auto stopAtThree = [&](size_t index, Outcome &) { return order.push_back(index), index < 3; };
    EXPECT_FALSE(runner.run(kCount, work, stopAtThree, [] { return true; }));
    EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3}));
}

} // namespace
} // namespace xpstext
