// The data stores over host IO objects: the calls they make, the positions
// they keep, their copies and their failures.
#include "support/TestHost.h"

#include "support/datastore/CopyingDataStore.h"
#include "support/datastore/DataStoreHold.h"
#include "support/datastore/DataStoreView.h"
#include "support/datastore/HostIO.h"
#include "support/datastore/ImmutableDataStore.h"
#include "support/datastore/OwningDataStore.h"
#include "support/except/VantrelError.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fixrd::test {
namespace {

using namespace vt::datastore;
using vt::except::general_error;

class DataStoreTest : public HostTest {
protected:
    // A temporary host file holding text, closed, at position 0.
    OwnedIO fileWith(const std::string &text) {
        OwnedIO io(host.files().open(nullptr, "w"));
        EXPECT_NE(io, nullptr);
        EXPECT_NE(io->open(io.get()), 0);
        EXPECT_NE(io->write(io.get(), text.data(), static_cast<uint32_t>(text.size())), 0);
        EXPECT_NE(io->close(io.get()), 0);
        return io;
    }

    // The whole content of a host file, read without a store.
    static std::string contentOf(IOObj *io) {
        std::string text(20000, '\0');
        EXPECT_NE(io->open(io), 0);
        io->seek(io, 0, 0);
        text.resize(static_cast<size_t>(std::max(io->read(io, text.data(), 20000), 0)));
        io->close(io);
        return text;
    }
};

// Calls read "open", "read 4000", "write 10", "seek 0 2", "tell", "close",
// "release"; release is only recorded, the real record stays with the test.
struct RecordingIO {
    explicit RecordingIO(IOObj *real) : real(real) {
        io.hostReserved0[0] = this;
        io.fileName = real->fileName;
        io.open = [](IOObj *s) { IOObj *r = note(s, "open"); return r->open(r); };
        io.read = [](IOObj *s, void *b, uint32_t n) { IOObj *r = note(s, "read " + std::to_string(n)); return r->read(r, b, n); };
        io.write = [](IOObj *s, const void *b, uint32_t n) { IOObj *r = note(s, "write " + std::to_string(n)); return r->write(r, b, n); };
        io.seek = [](IOObj *s, int64_t at, int from) {
            IOObj *r = note(s, "seek " + std::to_string(at) + " " + std::to_string(from));
            return self(s).failSeeks ? 0 : r->seek(r, at, from);
        };
        io.tell = [](IOObj *s) { IOObj *r = note(s, "tell"); return r->tell(r); };
        io.close = [](IOObj *s) { IOObj *r = note(s, "close"); return r->close(r); };
        io.release = [](IOObj *s) { note(s, "release"); };
    }
    RecordingIO(const RecordingIO &) = delete;
    static RecordingIO &self(IOObj *s) { return *static_cast<RecordingIO *>(s->hostReserved0[0]); }
    static IOObj *note(IOObj *s, std::string call) { return self(s).calls.push_back(std::move(call)), self(s).real; }

    IOObj io{};
    IOObj *real;
    std::vector<std::string> calls;
    bool failSeeks = false;
};

using Calls = std::vector<std::string>;

TEST_F(DataStoreTest, PositionSurvivesTheCloseBetweenOperations) {
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

TEST_F(DataStoreTest, FailuresRaiseGeneralErrorAndCloseTheObject) {
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

template <typename Make> void expectArgumentError(Make make, const char *name) {
    try {
        make();
        ADD_FAILURE() << "expected std::invalid_argument " << name;
    } catch (const std::invalid_argument &e) { EXPECT_STREQ(e.what(), name); }
}

TEST_F(DataStoreTest, ArgumentErrorsNameTheArgument) {
    HostServices *services = host.services();
    auto file = fileWith("a");
    IOObj unopenable = *file;
    unopenable.open = nullptr;
    expectArgumentError([&] { OwningDataStore(nullptr, file.get()); }, "pVAPI");
    expectArgumentError([&] { ImmutableDataStore(nullptr, nullptr); }, "pVAPI");
    expectArgumentError([&] { OwningDataStore(services, static_cast<IOObj *>(nullptr)); }, "pIOobj");
    expectArgumentError([&] { DataStoreView(services, &unopenable); }, "pIOobj");
    expectArgumentError([&] { CopyingDataStore(services, duplicateOf, nullptr); }, "pIOobj");
    expectArgumentError([] { ImmutableDataStore(static_cast<DataStoreBase *>(nullptr)); }, "pInput");
    // A hold or a copy without a usable target is refused.
    auto other = fileWith("b");
    DataStoreView view(services, other.get());
    expectArgumentError([] { DataStoreHold hold(nullptr); }, "pDataStore");
    expectArgumentError([&] { view.copyTo(nullptr); }, "pDataStore");
    expectArgumentError([&] { view.copyTo(&view); }, "pDataStore");

    char descriptor[80] = {};
    std::strcpy(descriptor + 60, "FontPart_X");
    OwningDataStore store(services, file.release(), "F1", descriptor);
    EXPECT_EQ(store.name(), "F1");
    EXPECT_EQ(store.typeName(), "fontpart_x");
}

TEST_F(DataStoreTest, OwningStoreReleasesExactlyWhatItOwnsAndMissingServicesRaiseErrors) {
    auto file = fileWith("abcdef");
    RecordingIO unreleasable(file.get());
    unreleasable.io.release = nullptr;
    { OwningDataStore store(host.services(), &unreleasable.io); }
    EXPECT_TRUE(unreleasable.calls.empty());

    IOObj *source = fileWith("abcdef").release();
    ASSERT_NE(source->open(source), 0);
    ASSERT_NE(source->seek(source, 2, 0), 0);
    {
        OwningDataStore duplicate(host.services(), duplicateOf, source);
        EXPECT_EQ(duplicate.readString(10), "cdef");
        EXPECT_EQ(source->tell(source), 2) << "the source keeps its own position";
    }
    EXPECT_EQ(host.files().live(), 1) << "the duplicate and its source are both released";

    // Missing services raise errors of the module's own.
    RecordingIO untellable(file.get());
    untellable.io.tell = nullptr;
    EXPECT_THROW(OwningDataStore(host.services(), duplicateOf, &untellable.io), general_error);
    host.services()->deriveIO = [](HostServices *, IOObj *) -> IOObj * { return nullptr; };
    EXPECT_THROW(DataStoreView(host.services(), duplicateOf, file.get()), general_error);

    // The position of a closed record is asked with the record opened for
    // the question and closed again; the temporary file comes after it.
    host.files().refuseTemporaryFiles(true);
    RecordingIO closed(file.get());
    EXPECT_THROW(CopyingDataStore(host.services(), &closed.io), vt::except::create_tempfile_error);
    EXPECT_EQ(closed.calls, Calls({"tell", "open", "tell", "close"}));
    EXPECT_THROW(ImmutableDataStore(host.services(), file.get()), vt::except::create_tempfile_error);
    EXPECT_EQ(host.files().live(), 1) << "nothing obtained before the failure is left behind";
}

TEST_F(DataStoreTest, SnapshotsKeepTheContentTheyWereMadeFrom) {
    auto file = fileWith("original");
    IOObj *io = file.get();
    ASSERT_NE(io->open(io), 0);
    ASSERT_NE(io->seek(io, 3, 0), 0);
    CopyingDataStore copy(host.services(), io, "copy");
    EXPECT_EQ(copy.tell(), 3u);
    ImmutableDataStore snapshot(host.services(), io, "snap");
    EXPECT_EQ(snapshot.recordedSize(), 8);

    ASSERT_NE(io->open(io), 0);
    ASSERT_NE(io->write(io, "CHANGED!", 8), 0);
    io->close(io);
    EXPECT_EQ(copy.readString(100), "ginal");
    copy.rewind();
    copy.write("O");
    EXPECT_EQ(contentOf(io), "CHANGED!");

    auto out = fileWith("");
    snapshot.copyToIO(out.get());
    EXPECT_EQ(contentOf(out.get()), "original");
    ImmutableDataStore ofCopy(&copy);
    EXPECT_EQ(ofCopy.name(), "copy");
    ofCopy.copyToIO(out.get());
    EXPECT_EQ(contentOf(out.get()), "Original");

    CopyingDataStore fromPath(host.services(), snapshot.path());
    EXPECT_EQ(fromPath.tell(), 8u) << "a copy of a file stands at its end";
    std::string path;
    {
        ImmutableDataStore shortLived(host.services(), duplicateOf, io);
        path = shortLived.path();
        EXPECT_EQ(::access(path.c_str(), F_OK), 0);
    }
    EXPECT_NE(::access(path.c_str(), F_OK), 0) << "a snapshot's file goes with the store";
}

TEST_F(DataStoreTest, HoldsAndCopiesGoInBlocksThroughOneOpenOfEachSide) {
    std::string text(10000, '\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>(i % 251);
    auto empty = fileWith(""), source = fileWith(text), target = fileWith("");
    RecordingIO nothing(empty.get()), from(source.get()), to(target.get());
    DataStoreView none(host.services(), &nothing.io), view(host.services(), &from.io), sink(host.services(), &to.io);
    none.copyTo(&sink);   // an empty source leaves the target untouched
    EXPECT_EQ(nothing.calls, Calls({"open", "seek 0 0", "read 4000", "close"}));
    EXPECT_TRUE(to.calls.empty());
    view.copyTo(&sink);
    EXPECT_EQ(to.calls, Calls({"open", "seek 0 0", "write 4000", "write 4000", "write 2000", "tell", "close"}));
    EXPECT_EQ(from.calls.front(), "open");
    EXPECT_EQ(from.calls.back(), "close");
    EXPECT_EQ(contentOf(target.get()), text);
    to.calls.clear();
    {   // A hold keeps the target open across writes, which go on where the copy ended.
        DataStoreHold hold(&sink);
        DataStoreHold inner(&sink);
        sink.write("ab");
        inner.release();
        sink.write(std::string("cd"));
        EXPECT_TRUE(sink.isOpen());
    }
    EXPECT_EQ(to.calls, Calls({"open", "seek 10000 0", "write 2", "write 2", "tell", "close"}));
    EXPECT_EQ(contentOf(target.get()), text + "abcd");

    // A write that fails half way closes both sides and ends the hold.
    to.io.write = [](IOObj *, const void *, uint32_t) { return 0; };
    EXPECT_THROW(view.copyTo(&sink), general_error);
    EXPECT_EQ(from.calls.back(), "close");
    EXPECT_EQ(to.calls.back(), "close");
    EXPECT_EQ(sink.holdCount(), 0);
}

TEST_F(DataStoreTest, CopiesReachRecordsDuplicatesAndPaths) {
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
