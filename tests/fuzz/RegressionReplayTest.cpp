// Every input that ever broke a fuzz target, replayed through the target's
// own entry code in the normal build: tests/fuzz/regressions/<target>/<input>.
#include "FuzzEntries.h"

#include "support/TestHost.h"

#include <filesystem>

namespace fixrd::test {
namespace {

namespace fs = std::filesystem;

TEST(FuzzRegressions, EveryRecordedInputRunsCleanThroughItsTarget) {
    fuzz::prepare();
    size_t replayed = 0;
    for (const auto &folder : fs::directory_iterator(fs::path(FIXRD_SOURCE_DIR) / "tests/fuzz/regressions")) {
        fuzz::Target target;
        ASSERT_TRUE(fuzz::targetNamed(folder.path().filename().string(), target)) << folder.path();
        for (const auto &input : fs::directory_iterator(folder.path())) {
            std::string bytes = readFile(input.path().string());
            EXPECT_EQ(fuzz::run(target, reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size()), "")
                << input.path();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0u);
}

} // namespace
} // namespace fixrd::test
