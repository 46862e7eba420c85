#include "DataStoreTestSupport.h"

#include "support/datastore/DataStoreView.h"
#include "support/datastore/OwningDataStore.h"
#include "support/except/VantrelError.h"

namespace fixrd::test {
namespace {

using namespace vt::datastore;
using vt::except::general_error;

class DataStoreAccess : public DataStoreTest {};

TEST_F(DataStoreAccess, PositionSurvivesTheCloseBetweenOperations) {
    OwningDataStore store(host.services(), fileWith("hello, world").release(), "part");
    char buffer[16] = {};
    ASSERT_EQ(store.read(buffer, 5), 5u);
    EXPECT_FALSE(store.isOpen());
    ASSERT_EQ(store.read(buffer + 5, sizeof buffer - 5), 7u);
    EXPECT_EQ(std::string(buffer, 12), "hello, world");
    EXPECT_EQ(store.read(buffer, sizeof buffer), 0u);
    EXPECT_TRUE(store.atEnd());

    store.seek(3, 0);
    EXPECT_EQ(store.size(), 12u);
    EXPECT_EQ(store.tell(), 3u);
    ASSERT_EQ(store.peek(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "lo, ");
    EXPECT_EQ(store.readString(2), "lo");
}

// The font loader measures and then reads a part; the host relies on
// exactly these calls.
TEST_F(DataStoreAccess, SizeThenReadMakeTheCallsTheHostExpects) {
    auto file = fileWith("0123456789");
    RecordingIO part(file.get());
    {
        OwningDataStore store(host.services(), &part.io, "");
        ASSERT_EQ(store.size(), 10u);
        EXPECT_EQ(part.calls, Calls({"open", "seek 0 0", "tell", "seek 0 2", "tell", "seek 0 0", "tell", "close"}));
        part.calls.clear();
        char bytes[10];
        EXPECT_EQ(store.read(bytes, 10), 10u);
        EXPECT_EQ(part.calls, Calls({"open", "seek 0 0", "read 10", "tell", "close"}));
        part.calls.clear();
    }
    EXPECT_EQ(part.calls, Calls({"release"}));
}

TEST_F(DataStoreAccess, FailuresRaiseGeneralErrorAndCloseTheObject) {
    auto file = fileWith("abc");
    RecordingIO io(file.get());
    const IOObj recording = io.io;
    DataStoreView view(host.services(), &io.io);
    char buffer[4];

    io.failSeeks = true;
    EXPECT_THROW(view.read(buffer, 1), general_error);
    EXPECT_EQ(io.calls, Calls({"open", "seek 0 0", "close"}));
    io.failSeeks = false;
    view.skip(1);

    io.io.read = nullptr;
    EXPECT_THROW(view.read(buffer, 1), general_error);
    EXPECT_EQ(view.readString(2), "");
    EXPECT_FALSE(view.isOpen());
    // Neither an end signalled as -1 nor a host claiming more than it was
    // asked for may make a caller read past its buffer.
    io.io.read = [](IOObj *, void *, uint32_t) { return int32_t{-1}; };
    EXPECT_EQ(view.read(buffer, sizeof buffer), 0u);
    io.io.read = [](IOObj *, void *, uint32_t count) { return static_cast<int32_t>(count) + 100; };
    EXPECT_EQ(view.read(buffer, 2), 2u);
    io.io.read = recording.read;

    io.io.tell = nullptr;
    io.calls.clear();
    EXPECT_THROW(view.size(), general_error);
    EXPECT_EQ(io.calls.back(), "close");
    io.io.tell = recording.tell;
    EXPECT_EQ(view.readString(10), "bc") << "failed operations keep the position saved before them";
}

} // namespace
} // namespace fixrd::test
