// The command's parts on their own: output names, temporary names, report
// formats and the order in which a batch hands its outcomes back.
#include "BatchRunner.h"
#include "CommandStatus.h"
#include "JsonLines.h"
#include "OutputNames.h"
#include "OutputWriter.h"
#include "Progress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace xpstext {
namespace {

InputItem item(const std::string &path, const std::string &relative, uint32_t problem = 0) {
    InputItem item;
    item.path = path;
    item.relative = relative;
    item.problem = problem;
    return item;
}

TEST(XpstextParts, OutputNamesStayInsideTheFolderAndNeverMeet) {
    EXPECT_EQ(cleanRelativePath("a/./b/../c.xps"), "a/b/c.xps");
    EXPECT_EQ(cleanRelativePath("/data//x.xps"), "data/x.xps");
    EXPECT_EQ(cleanRelativePath("../../x.oxps"), "x.oxps");
    EXPECT_EQ(cleanRelativePath("./"), "");

    std::vector<InputItem> items = {item("in/a.xps", "a.xps"), item("in/a.oxps", "a.oxps"),
                                    item("/abs/b.XPS", "/abs/b.XPS"), item("other/a.xps", "a.xps"),
                                    item("..", ".."), item("bad.xps", "bad.xps", kNotAFile)};
    assignOutputs(items, "out/", ".txt");
    std::vector<std::string> outputs;   // a failed item gets no file
    for (const InputItem &i : items)
        outputs.push_back(i.output);
    EXPECT_EQ(outputs, (std::vector<std::string>{"out/a.xps.txt", "out/a.oxps.txt", "out/abs/b.XPS.txt", "", "out/unnamed.txt", ""}));
    EXPECT_EQ(items[3].problem, kOutputFailed);
    EXPECT_EQ(items[3].message, "its output out/a.xps.txt is already the output of in/a.xps");
    std::vector<InputItem> atRoot = {item("x.xps", "x.xps")};
    assignOutputs(atRoot, "/", ".rec");
    EXPECT_EQ(atRoot[0].output, "/x.xps.rec");
}

TEST(XpstextParts, TemporaryNamesAreHiddenMarkedAndShortEnough) {
    EXPECT_EQ(temporaryPattern("out/a/report.xps.txt"), "out/a/.report.xps.txt.xpstext-tmp.XXXXXX");
    EXPECT_EQ(temporaryPattern("plain.txt"), ".plain.txt.xpstext-tmp.XXXXXX");
    std::string longName(250, 'n');
    std::string pattern = temporaryPattern("out/" + longName);
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
    std::vector<size_t> order;
    auto deliver = [&](size_t index, Outcome &outcome) {
        EXPECT_EQ(outcome.bytes, index);
        order.push_back(index);
        delivered = index + 1;
        return true;
    };
    BatchRunner runner(*module, 4, kWindow);
    EXPECT_TRUE(runner.run(kCount, work, deliver, [] { return true; }));
    ASSERT_EQ(order.size(), kCount);
    for (size_t i = 0; i < kCount; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_LT(furthestAhead.load(), kWindow);

    // A deliver that says stop ends the run early.
    order.clear();
    auto stopAtThree = [&](size_t index, Outcome &) {
        order.push_back(index);
        return index < 3;
    };
    EXPECT_FALSE(runner.run(kCount, work, stopAtThree, [] { return true; }));
    EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3}));
}

} // namespace
} // namespace xpstext
