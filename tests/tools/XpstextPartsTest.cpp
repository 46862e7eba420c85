// The command's parts on their own where the command's tests cannot reach:
// names cut to a folder's limit, bytes that are no UTF-8, the singular
// summary, how far a batch runs ahead of the outcome it hands back, and the
// scratch folder: made only when a host needs disk, emptied from a signal
// handler.
#include "BatchRunner.h"
#include "Interrupt.h"
#include "JsonLines.h"
#include "OutputNames.h"
#include "OutputWriter.h"
#include "Progress.h"
#include "ScratchRemoval.h"

#include "ReferenceHost.h"
#include "support/Packages.h"   // makePrivateFolder

#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
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
    auto work = [&](size_t index, unsigned, fixrd::Extractor &) {
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

TEST(XpstextParts, ScratchEmptiedFromASignalHandlerWithoutFollowingLinks) {
    namespace fs = std::filesystem;
    std::string outside = fixrd::test::makePrivateFolder("xpstext-test");
    std::string folder = fixrd::test::makePrivateFolder("xpstext-test") + "/xpstext-scratch";
    for (const char *name : {"fixrd-1", "fixrd-2/deeper/still", "fixrd-3"})
        fs::create_directories(folder + "/" + name);
    std::ofstream(folder + "/fixrd-1/io-2") << std::string(100000, 'x');
    std::ofstream(folder + "/fixrd-2/deeper/still/io-3") << "font";
    for (int i = 0; i < 300; ++i)
        std::ofstream(folder + "/fixrd-3/io-" + std::to_string(i)) << "many";
    std::ofstream(outside + "/kept") << "not ours";
    fs::create_symlink(outside, folder + "/fixrd-2/link");
    prepareScratchRemoval(folder);
    struct sigaction action {};
    action.sa_handler = [](int) { removeScratch(); };
    sigaction(SIGUSR1, &action, nullptr);
    raise(SIGUSR1);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(fs::exists(outside + "/kept"));
    fs::remove_all(outside);
    fs::remove_all(fs::path(folder).parent_path());
}

// After the handler's test: the folder booked for the handler is the
// process's first.
TEST(XpstextParts, ScratchFolderIsMadeOnlyWhenAHostGoesToDisk) {
    namespace fs = std::filesystem;
    std::string base = fixrd::test::makePrivateFolder("xpstext-test");
    std::string saved = getenv("TMPDIR") != nullptr ? getenv("TMPDIR") : "";
    setenv("TMPDIR", base.c_str(), 1);
    auto entries = [&] { return std::distance(fs::directory_iterator(base), fs::directory_iterator{}); };
    std::string hostFolder;
    {
        ScratchFolder scratch;
        fixrd::host::ReferenceHost host;
        int asked = 0;
        host.files().placeTemporariesIn([&] { return ++asked, scratch.path(); });
        host.files().setMemoryLimits(10, 15);
        IOObj *io = host.services()->openIO(host.services(), nullptr, "a+");
        ASSERT_NE(io, nullptr);
        ASSERT_NE(io->open(io), 0);
        ASSERT_NE(io->write(io, "12345678", 8), 0);
        EXPECT_EQ(asked, 0) << "a memory file needs no folder";
        EXPECT_EQ(entries(), 0);
        ASSERT_NE(io->write(io, "9abc", 4), 0);   // past 10 bytes: to disk
        EXPECT_EQ(asked, 1);
        std::string folder = scratch.path();
        EXPECT_EQ(scratch.path(), folder) << "made once";
        EXPECT_EQ(fs::path(folder).parent_path(), fs::path(base));
        hostFolder = host.files().temporaryDirectory();
        EXPECT_EQ(fs::path(hostFolder).parent_path(), fs::path(folder));
        io->release(io);
        std::ofstream(folder + "/left") << "a file a host did not remove";
    }
    EXPECT_FALSE(fs::exists(hostFolder));
    EXPECT_EQ(entries(), 0) << "the scratch folder goes, with what is in it";
    if (saved.empty())
        unsetenv("TMPDIR");
    else
        setenv("TMPDIR", saved.c_str(), 1);
    fs::remove_all(base);
}

// The signal is noted for the main thread to act on, or, while a run reads
// on its main thread, ends the process in the handler.
TEST(XpstextParts, SignalsAreNotedOrKillAtOnce) {
    auto raiseAndReport = [](bool atOnce) {
        installInterruptHandlers();
        dieAtOnceOnSignal(atOnce);
        raise(SIGTERM);
        std::_Exit(pendingSignal() == SIGTERM ? 7 : 1);
    };
    EXPECT_EXIT(raiseAndReport(false), testing::ExitedWithCode(7), "");
    EXPECT_EXIT(raiseAndReport(true), testing::KilledBySignal(SIGTERM), "");
}

} // namespace
} // namespace xpstext
