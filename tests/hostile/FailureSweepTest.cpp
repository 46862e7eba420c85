// The sample read again and again with one more thing refused each time: the
// n-th memory request, or temporary files past n bytes.  Whatever the status,
// the host gets back every block, object and file, and its private folder
// goes with it.
#include "support/Packages.h"
#include "support/TestHost.h"

#include "Extractor.h"
#include "RecordStream.h"

#include <filesystem>
#include <map>
#include <set>

namespace fixrd::test {
namespace {

class FailureSweep : public ::testing::Test {
protected:
    std::unique_ptr<ReaderModule> module;
    const std::string sample = std::string(FIXRD_SOURCE_DIR) + "/samples/sample.xps";
    TempFile scratch{"", ""};
    std::string folder;
    std::string tmpdir;   // as it was
    std::map<uint32_t, int> statuses;

    void SetUp() override {
        std::string error;
        module = ReaderModule::load(FIXRD_LIB_DIR, error);
        ASSERT_TRUE(module) << error;
        // The hosts' private folders go below one of ours, which must be empty after each document.
        folder = scratch.path().substr(0, scratch.path().rfind('/'));
        const char *before = std::getenv("TMPDIR");
        tmpdir = before != nullptr ? before : "";
        setenv("TMPDIR", folder.c_str(), 1);
        ::unlink(scratch.path().c_str());
    }
    void TearDown() override {
        if (tmpdir.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", tmpdir.c_str(), 1);
    }

    // Reads the sample with `refuse` applied to a fresh host; what it cost.
    template <class Refusal> Extraction readRefusing(Refusal refuse, int64_t *requests = nullptr, int64_t *diskPeak = nullptr) {
        Extraction result;
        {
            Extractor extractor(*module);
            refuse(extractor.host());
            result = extractor.extract(sample);
            host::ReferenceHost &host = extractor.host();
            EXPECT_EQ(host.memory().blocksOutstanding(), 0);
            EXPECT_EQ(host.files().live(), 0);
            EXPECT_EQ(host.files().temporaryFiles(), 0);
            if (requests != nullptr)
                *requests = host.memory().requests();
            if (diskPeak != nullptr)
                *diskPeak = host.files().peakTemporaryBytes();
        }
        EXPECT_TRUE(std::filesystem::is_empty(folder)) << "a host left its temporary folder behind";
        std::string text;
        if (result.status == 0)
            EXPECT_TRUE(host::appendPlainText(result.records, text));
        else
            EXPECT_TRUE(result.records.empty() && !result.message.empty()) << result.status;
        ++statuses[result.status];
        return result;
    }
};

TEST_F(FailureSweep, EveryRefusalLeavesNothingBehind) {
    int64_t requests = 0, diskPeak = 0;
    Extraction whole = readRefusing([](host::ReferenceHost &) {}, &requests, &diskPeak);
    ASSERT_EQ(whole.status, 0u);
    ASSERT_GT(requests, 100);
    ASSERT_GT(diskPeak, 100000);

    for (int64_t n = 1; n <= requests; n += n < 300 ? 1 : 97) {
        SCOPED_TRACE("memory request " + std::to_string(n) + " refused");
        readRefusing([n](host::ReferenceHost &host) { host.memory().refuseRequest(n); });
    }
    for (int64_t budget = 0; budget <= diskPeak; budget += diskPeak / 200) {
        SCOPED_TRACE("temporary files limited to " + std::to_string(budget) + " bytes");
        Extraction result = readRefusing([budget](host::ReferenceHost &host) { host.files().setTemporaryBudget(budget); });
        // Without room for the font the text still comes, only its word gaps may not.
        if (result.status == 0 && budget < diskPeak) {
            EXPECT_NE(result.records, whole.records);
        }
    }
    readRefusing([](host::ReferenceHost &host) { host.files().refuseTemporaryFiles(true); });

    for (const auto &[status, count] : statuses)
        std::cout << "status " << status << ": " << count << " documents\n";
    EXPECT_GT(statuses[2], 0);     // memory refused
    EXPECT_GT(statuses[108], 0);   // a part's temporary file could not be written
}

} // namespace
} // namespace fixrd::test
