#include "DataStoreTestSupport.h"

#include "support/datastore/DataStoreHold.h"
#include "support/datastore/DataStoreView.h"
#include "support/datastore/OwningDataStore.h"
#include "support/except/VantrelError.h"

#include <cstdio>
#include <functional>
#include <stdexcept>

namespace fixrd::test {
namespace {

using namespace vt::datastore;

class DataStoreCopy : public DataStoreTest {};

TEST_F(DataStoreCopy, EmptySourceOpensOnceAndLeavesTargetUntouched) {
    auto source = fileWith(""), target = fileWith("");
    RecordingIO from(source.get()), to(target.get());
    DataStoreView view(host.services(), &from.io), sink(host.services(), &to.io);
    view.copyTo(&sink);
    EXPECT_EQ(from.calls, Calls({"open", "seek 0 0", "read 4000", "close"}));
    EXPECT_TRUE(to.calls.empty());
}

TEST_F(DataStoreCopy, LargeSourceGoesInBlocksThroughOneOpenOfTheTarget) {
    std::string text(10000, '\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>(i % 251);
    auto source = fileWith(text), target = fileWith("");
    RecordingIO from(source.get()), to(target.get());
    DataStoreView view(host.services(), &from.io), sink(host.services(), &to.io);
    view.copyTo(&sink);
    EXPECT_EQ(to.calls, Calls({"open", "seek 0 0", "write 4000", "write 4000", "write 2000", "tell", "close"}));
    EXPECT_EQ(from.calls.front(), "open");
    EXPECT_EQ(from.calls.back(), "close");
    EXPECT_EQ(contentOf(target.get()), text);

    // A write that fails half way closes both sides and ends the hold.
    to.io.write = [](IOObj *, const void *, uint32_t) { return 0; };
    EXPECT_THROW(view.copyTo(&sink), vt::except::general_error);
    EXPECT_EQ(from.calls.back(), "close");
    EXPECT_EQ(to.calls.back(), "close");
    EXPECT_EQ(sink.holdCount(), 0);
}

TEST_F(DataStoreCopy, HoldKeepsTargetOpenAcrossWrites) {
    auto target = fileWith("");
    RecordingIO to(target.get());
    DataStoreView sink(host.services(), &to.io);
    {
        DataStoreHold hold(&sink);
        DataStoreHold inner(&sink);
        sink.write("ab");
        inner.release();
        sink.write(std::string("cd"));
        EXPECT_TRUE(sink.isOpen());
    }
    EXPECT_EQ(to.calls, Calls({"open", "seek 0 0", "write 2", "write 2", "tell", "close"}));
    EXPECT_EQ(contentOf(target.get()), "abcd");

    for (auto copy : {std::function<void()>([] { DataStoreHold hold(nullptr); }),
                      std::function<void()>([&] { sink.copyTo(nullptr); }),
                      std::function<void()>([&] { sink.copyTo(&sink); })}) {
        try {
            copy();
            ADD_FAILURE() << "a copy without a usable target must be refused";
        } catch (const std::invalid_argument &e) {
            EXPECT_STREQ(e.what(), "pDataStore");
        }
    }
}

TEST_F(DataStoreCopy, CopiesReachRecordsDuplicatesAndPaths) {
    OwningDataStore store(host.services(), fileWith("xyz").release());
    auto target = fileWith("0123456");
    IOObj *io = target.get();
    store.copyToIO(io);
    EXPECT_EQ(contentOf(io), "xyz3456");
    // The duplicate starts where the caller's record stands.
    ASSERT_NE(io->open(io), 0);
    ASSERT_NE(io->seek(io, 5, 0), 0);
    store.copyToDuplicate(io);
    EXPECT_EQ(io->tell(io), 5);
    EXPECT_EQ(contentOf(io), "xyz34xyz");

    std::string path = host.files().temporaryDirectory() + "/appended";
    store.copyToPath(path);
    store.copyToPath(path);
    EXPECT_EQ(contentOf(OwnedIO(host.files().open(path.c_str(), "r")).get()), "xyzxyz");
    std::remove(path.c_str());
}

} // namespace
} // namespace fixrd::test
