#include "DataStoreTestSupport.h"

#include "support/datastore/CopyingDataStore.h"
#include "support/datastore/DataStoreView.h"
#include "support/datastore/ImmutableDataStore.h"
#include "support/datastore/OwningDataStore.h"
#include "support/except/VantrelError.h"

#include <cstring>
#include <stdexcept>
#include <unistd.h>

namespace fixrd::test {
namespace {

using namespace vt::datastore;

class DataStoreConstruction : public DataStoreTest {};

template <typename Make> void expectArgumentError(Make make, const char *name) {
    try {
        make();
        ADD_FAILURE() << "expected std::invalid_argument " << name;
    } catch (const std::invalid_argument &e) {
        EXPECT_STREQ(e.what(), name);
    }
}

TEST_F(DataStoreConstruction, ArgumentErrorsNameTheArgument) {
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

    char descriptor[80] = {};
    std::strcpy(descriptor + 60, "FontPart_X");
    OwningDataStore store(services, file.release(), "F1", descriptor);
    EXPECT_EQ(store.name(), "F1");
    EXPECT_EQ(store.typeName(), "fontpart_x");
}

TEST_F(DataStoreConstruction, OwningStoreReleasesExactlyWhatItOwns) {
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
}

TEST_F(DataStoreConstruction, MissingServicesRaiseVantrelErrors) {
    auto file = fileWith("abc");
    RecordingIO untellable(file.get());
    untellable.io.tell = nullptr;
    EXPECT_THROW(OwningDataStore(host.services(), duplicateOf, &untellable.io), vt::except::general_error);
    host.services()->deriveIO = [](HostServices *, IOObj *) -> IOObj * { return nullptr; };
    EXPECT_THROW(DataStoreView(host.services(), duplicateOf, file.get()), vt::except::general_error);

    // The position of a closed record is asked with the record opened for
    // the question and closed again; the temporary file comes after it.
    host.files().refuseTemporaryFiles(true);
    RecordingIO closed(file.get());
    EXPECT_THROW(CopyingDataStore(host.services(), &closed.io), vt::except::create_tempfile_error);
    EXPECT_EQ(closed.calls, Calls({"tell", "open", "tell", "close"}));
    EXPECT_THROW(ImmutableDataStore(host.services(), file.get()), vt::except::create_tempfile_error);
    EXPECT_EQ(host.files().live(), 1) << "nothing obtained before the failure is left behind";
}

TEST_F(DataStoreConstruction, SnapshotsKeepTheContentTheyWereMadeFrom) {
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

} // namespace
} // namespace fixrd::test
