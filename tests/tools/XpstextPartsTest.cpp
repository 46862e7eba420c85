// The command's parts on their own where the command's tests cannot reach:
// names cut to a folder's limit, bytes that are no UTF-8, the singular
// summary and how far a batch runs ahead of the outcome it hands back.
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

TEST(XpstextParts, NamesStayInsideTheFolderAndReportsKeepTheirFormat) {
    std::vector<InputItem> items(3);
    const char *relatives[] = {"a/./b/../c.xps", "..", "x.xps"};
    for (size_t i = 0; i < items.size(); ++i)
        items[i].path = items[i].relative = relatives[i];
    assignOutputs(items, "out/", ".txt");
    EXPECT_EQ(items[0].output + " " + items[1].output, "out/a/b/c.xps.txt out/unnamed.txt");
    assignOutputs(items, "/", ".rec");
    EXPECT_EQ(items[2].output, "/x.xps.rec");
    EXPECT_EQ(temporaryPattern("plain.txt"), ".plain.txt.xpstext-tmp.XXXXXX");
    std::string pattern = temporaryPattern("out/" + std::string(250, 'n'));   // cut to the longest name a folder takes
    EXPECT_EQ(pattern.size() - 4, 255u);
    EXPECT_EQ(pattern.substr(pattern.size() - 19), ".xpstext-tmp.XXXXXX");

    Outcome failure;
    failure.status = 104;
    failure.message = "a \"part\"";
    items[0].path = "bad\xff.xps";
    EXPECT_EQ(jsonLine(items[0], failure), "{\"path\":\"bad\xef\xbf\xbd.xps\",\"status\":104,\"message\":\"a \\\"part\\\"\","
                                           "\"bytes\":0,\"seconds\":0.0,\"output\":null}\n");
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
