// The real libpkgrd.so loaded through a reference host, opening packages and
// pulling entries out the way the reader does.
#include "support/Packages.h"
#include "support/TestHost.h"

#include "companions/pkgrd/PkgrdStatus.h"
#include "companions/pkgrd/PkgrdTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <list>
#include <set>
#include <string>
#include <vector>

namespace fixrd::test {
namespace {

// Many variants of a package go through one TempFile: making and removing
// directories is slow on some filesystems, and so is truncating a file that
// holds data (ext4 flushes it), hence a fresh file each time.
void rewrite(const std::string &path, const std::string &bytes) {
    std::remove(path.c_str());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Bytes that deflate poorly, so large entries span many blocks either way.
std::string noise(size_t size, uint32_t seed = 1) {
    std::string bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

class Pkgrd : public HostTest {
protected:
    ContainerReader table{};

    void SetUp() override {
        library_ = host.libraries().load("pkgrd.dll");
        ASSERT_NE(library_, nullptr) << host.libraries().lastError();
        auto fill = reinterpret_cast<PkgrdGetContainerReaderInterfaceFn>(
            host.libraries().entryPoint(library_, "pkgrdGetContainerReaderInterface"));
        ASSERT_NE(fill, nullptr);
        fill(&table);
    }
    void TearDown() override {
        while (!open_.empty())
            close(open_.back());
        host.libraries().unload(library_);
        HostTest::TearDown();
    }

    // Opens path over a host input object, released at once: the container
    // must not need it.  Closed when the test ends.
    void *open(const std::string &path) {
        IOObj *input = host.openInput(path);
        void *container = input != nullptr ? table.open(input, host.services(), 0) : nullptr;
        if (input != nullptr)
            input->release(input);
        if (container != nullptr)
            open_.push_back(container);
        return container;
    }
    // Opens the package from a file of its own.
    void *open(const PackageBuilder &package) { return open(files_.emplace_back(package.bytes()).path()); }
    void close(void *container) {
        auto at = std::find(open_.begin(), open_.end(), container);
        if (at != open_.end())
            open_.erase(at), table.close(container);
    }
    // Extracts into a fresh temporary host object; *bytes gets what its file holds.
    int32_t extract(void *container, int32_t index, std::string *bytes = nullptr) {
        IOObj *target = host.files().open(nullptr, "a+");
        int32_t status = table.extractEntry(container, index, target);
        if (bytes != nullptr)
            *bytes = readFile(target->fileName);
        target->release(target);
        return status;
    }
    int32_t setLimit(void *container, int64_t limit, int position = PKGRD_TABLE_SET_ENTRY_SIZE_LIMIT) {
        return reinterpret_cast<PkgrdSetEntrySizeLimitFn>(table.companionReserved[position - 5])(container, limit);
    }
    int32_t indexOf(void *container, const std::string &name) {
        EntryInfo info;
        for (int32_t i = 0; i < table.entryCount(container); ++i)
            if (table.entryInfo(container, i, &info) == 0 && name == info.name)
                return i;
        return -1;
    }

private:
    void *library_ = nullptr;
    std::vector<void *> open_;
    std::list<TempFile> files_;
};

TEST_F(Pkgrd, RawNamesCutTo279BytesAndSizesInCentralDirectoryOrder) {
    EXPECT_NE(table.companionReserved[PKGRD_TABLE_SET_TOTAL_SIZE_LIMIT - 5], nullptr);
    EXPECT_TRUE(table.companionReserved[8 - 5] == nullptr && table.companionReserved[9 - 5] == nullptr);
    // Each status has a text of its own; any other number gets the unknown one.
    auto describe = reinterpret_cast<PkgrdDescribeStatusFn>(table.companionReserved[PKGRD_TABLE_DESCRIBE_STATUS - 5]);
    std::set<std::string> texts = {describe(PKGRD_OK)};
    for (int32_t status = PKGRD_BAD_ARGUMENT; status <= PKGRD_PACKAGE_TOO_LARGE; ++status)
        texts.insert(describe(status));
    EXPECT_EQ(texts.size(), 14u);
    for (int32_t other : {-1, 99, PKGRD_PACKAGE_TOO_LARGE + 1})
        EXPECT_STREQ(describe(other), "unknown container status") << other;
    std::string longName;
    for (int i = 0; longName.size() < 300; ++i)
        longName += "d" + std::to_string(i) + "/";
    longName.resize(300);
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"b.xml", "bbb"},
        {"[Content_Types].xml", "types"},
        {"caf\xc3\xa9 d\xfcr\\x%41", std::string(70000, 'p')},   // UTF-8, a lone Latin-1 byte, "\", an escape
        {longName, "long"},
        {"/leading", ""},
        {"a.XML", "A"},
    };
    PackageBuilder package;
    for (const auto &[name, data] : entries)
        package.add(name, data);
    void *container = open(package);
    ASSERT_NE(container, nullptr);
    ASSERT_EQ(table.entryCount(container), int32_t(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        EntryInfo info;
        std::memset(&info, 0x5a, sizeof info);
        ASSERT_EQ(table.entryInfo(container, int32_t(i), &info), 0);
        EXPECT_EQ(std::string(info.name), entries[i].first.substr(0, 279)) << i;
        EXPECT_EQ(info.size, int32_t(entries[i].second.size())) << i;
    }
}

TEST_F(Pkgrd, BadIndexesAndArgumentsAreRefused) {
    void *container = open(PackageBuilder().add("a", "1").add("b", "2"));
    ASSERT_NE(container, nullptr);
    EntryInfo info;
    char buffer[4];
    int32_t delivered = -1;
    for (int32_t index : {-1, 2, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(table.entryInfo(container, index, &info), PKGRD_BAD_ARGUMENT) << index;
        EXPECT_EQ(extract(container, index), PKGRD_BAD_ARGUMENT) << index;
        EXPECT_EQ(table.readEntry(container, index, buffer, 4, &delivered), PKGRD_BAD_ARGUMENT) << index;
    }
    EXPECT_EQ(table.extractEntry(container, 0, nullptr), PKGRD_BAD_ARGUMENT);
    EXPECT_EQ(table.readEntry(container, 0, buffer, -1, &delivered), PKGRD_BAD_ARGUMENT);
    EXPECT_EQ(table.readEntry(container, 0, nullptr, 4, &delivered), PKGRD_BAD_ARGUMENT);
    for (int position : {PKGRD_TABLE_SET_ENTRY_SIZE_LIMIT, PKGRD_TABLE_SET_TOTAL_SIZE_LIMIT}) {
        EXPECT_EQ(setLimit(container, -1, position), PKGRD_BAD_ARGUMENT);
        EXPECT_EQ(setLimit(nullptr, 1, position), PKGRD_BAD_ARGUMENT);
    }
}

TEST_F(Pkgrd, StoredDeflatedEmptyAndMultiBlockEntriesAreByteExact) {
    const std::string text = markup::page("<Glyphs UnicodeString=\"Hello\"/>");
    const std::string large = noise(3 * 65536 + 123);   // whole blocks and a partial one
    const std::string repetitive(1 << 20, 'r'), empty;   // inflates a thousandfold
    void *container = open(PackageBuilder()
                               .add("stored", text, Compression::Store).add("deflated", text)
                               .add("large-stored", large, Compression::Store).add("large-deflated", large)
                               .add("repetitive", repetitive).add("empty", ""));
    ASSERT_NE(container, nullptr);
    const std::string *expected[] = {&text, &text, &large, &large, &repetitive, &empty};
    for (int32_t index = 0; index < 6; ++index) {
        std::string bytes = "not written";
        ASSERT_EQ(extract(container, index, &bytes), 0) << index;
        EXPECT_TRUE(bytes == *expected[index]) << index << ": " << bytes.size() << " bytes, expected " << expected[index]->size();
    }
}

TEST_F(Pkgrd, ReadEntryFillsAnExactBufferAndRefusesASmallerOne) {
    const std::string data = noise(100000, 3);
    void *container = open(PackageBuilder().add("piece", data).add("empty", ""));
    ASSERT_NE(container, nullptr);
    std::string buffer(data.size() + 1, '#');
    int32_t delivered = -1;
    ASSERT_EQ(table.readEntry(container, 0, buffer.data(), int32_t(data.size()), &delivered), 0);
    EXPECT_EQ(delivered, int32_t(data.size()));
    EXPECT_TRUE(buffer == data + "#");

    buffer.assign(data.size() - 1, '#');
    EXPECT_EQ(table.readEntry(container, 0, buffer.data(), int32_t(buffer.size()), &delivered), PKGRD_BUFFER_TOO_SMALL);
    EXPECT_EQ(delivered, 0);
    EXPECT_EQ(buffer, std::string(data.size() - 1, '#')) << "a refused buffer was written to";
    EXPECT_EQ(table.readEntry(container, 1, nullptr, 0, &delivered), 0);
}

// An IO object whose open and writes the test controls.
struct FakeTarget {
    IOObj io{};
    bool opens = true;
    int writesLeft = 1 << 30;
    int closes = 0;
    size_t written = 0;
    static FakeTarget &of(IOObj *io) { return *reinterpret_cast<FakeTarget *>(io); }
    FakeTarget() {
        io.open = [](IOObj *self) { return of(self).opens ? 1 : 0; };
        io.write = [](IOObj *self, const void *, uint32_t count) {
            return of(self).writesLeft-- > 0 ? (of(self).written += count, 1) : 0;
        };
        io.close = [](IOObj *self) { return ++of(self).closes, 1; };
    }
};

TEST_F(Pkgrd, TargetThatCannotOpenOrWriteIsReported) {
    void *container = open(PackageBuilder().add("big", noise(200000)));
    ASSERT_NE(container, nullptr);
    FakeTarget unopenable, full, good;
    unopenable.opens = false;
    full.writesLeft = 1;
    EXPECT_EQ(table.extractEntry(container, 0, &unopenable.io), PKGRD_TARGET_OPEN_FAILED);
    EXPECT_EQ(unopenable.written, 0u);
    EXPECT_EQ(table.extractEntry(container, 0, &full.io), PKGRD_TARGET_WRITE_FAILED);
    EXPECT_EQ(full.written, 65536u) << "64 KiB blocks, stopping at the first refusal";
    EXPECT_EQ(full.closes, 1);
    EXPECT_EQ(table.extractEntry(container, 0, &good.io), 0);
    EXPECT_EQ(good.written, 200000u);
    EXPECT_EQ(good.closes, 1);
}

// Deflated entries are inflated whole where they can be, else streamed; the
// target sees the same either way: 64 KiB writes and a last partial one.
// Room on either side of what the container's own block holds, past the
// largest entry taken whole, a smaller one again in the room a larger one
// left, and an entry whose checksum is wrong, which only the streaming path
// can name.
TEST_F(Pkgrd, DeflatedEntriesReachTheTargetInTheSameBlocksWhicheverWayTheyAreRead) {
    struct Written {
        std::vector<uint32_t> writes;
        std::string bytes;
    };
    struct Recorder {
        IOObj io{};
        Written *written;
    };
    const std::string inBlock = noise(30000, 7), ownRoom = noise(40000, 8), whole = noise(3 * 65536, 9);
    const std::string past(size_t{16 << 20} + 70000, 'p');
    void *container = open(PackageBuilder()
                               .add("in-block", inBlock).add("own-room", ownRoom).add("whole", whole)
                               .add("past", past).add("bad-crc", whole).corruptCrc("bad-crc"));
    ASSERT_NE(container, nullptr);
    for (const std::string *data : {&inBlock, &ownRoom, &whole, &past, &ownRoom}) {
        Written written;
        Recorder target{{}, &written};
        target.io.open = [](IOObj *) { return 1; };
        target.io.close = [](IOObj *) { return 1; };
        target.io.write = [](IOObj *self, const void *bytes, uint32_t count) {
            Written &recorded = *reinterpret_cast<Recorder *>(self)->written;
            recorded.writes.push_back(count);
            recorded.bytes.append(static_cast<const char *>(bytes), count);
            return 1;
        };
        int32_t index = int32_t(data == &inBlock ? 0 : data == &ownRoom ? 1 : data == &whole ? 2 : 3);
        ASSERT_EQ(table.extractEntry(container, index, &target.io), 0) << index;
        std::vector<uint32_t> blocks(data->size() / 65536, 65536);
        if (data->size() % 65536 != 0)
            blocks.push_back(uint32_t(data->size() % 65536));
        EXPECT_EQ(written.writes, blocks) << index;
        EXPECT_TRUE(written.bytes == *data) << index;
    }
    EXPECT_EQ(extract(container, 4), PKGRD_CORRUPT_DATA);
}

// The statuses themselves are document cases; here, that neither way of
// reading a damaged entry writes past what it declares.
TEST_F(Pkgrd, DamagedEntriesNeverWritePastTheirDeclaredSizeAndLimitsAreTheContainers) {
    const std::string data = noise(150000, 5), text(5000, 't');
    PackageBuilder package;
    package.add("good", text)
        .add("less-deflated", data).claimUncompressedSize("less-deflated", 70000)
        .add("less-stored", data, Compression::Store).claimUncompressedSize("less-stored", 100)
        .add("more-stored", text, Compression::Store).claimUncompressedSize("more-stored", 9000);
    void *container = open(package);
    ASSERT_NE(container, nullptr);
    for (const char *name : {"less-deflated", "less-stored", "more-stored"}) {
        int32_t index = indexOf(container, name);
        EntryInfo info;
        ASSERT_EQ(table.entryInfo(container, index, &info), 0) << name;
        std::string bytes;
        EXPECT_NE(extract(container, index, &bytes), 0) << name;
        EXPECT_LE(bytes.size(), size_t(info.size)) << name;
        std::string buffer(size_t(info.size) + 16, '#');
        int32_t delivered = -1;
        EXPECT_NE(table.readEntry(container, index, buffer.data(), info.size, &delivered), 0) << name;
        EXPECT_EQ(delivered, 0) << name;
        EXPECT_EQ(buffer.substr(size_t(info.size)), std::string(16, '#')) << name;
    }

    // The limit belongs to one container and is checked before anything is written.
    void *other = open(package);
    ASSERT_EQ(setLimit(container, 5000), 0);
    EXPECT_EQ(extract(container, indexOf(container, "good")), 0);
    std::string bytes = "x";
    EXPECT_EQ(extract(container, indexOf(container, "more-stored"), &bytes), PKGRD_ENTRY_TOO_LARGE);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(setLimit(container, 4999), 0);
    EXPECT_EQ(extract(container, indexOf(container, "good")), PKGRD_ENTRY_TOO_LARGE);
    EXPECT_EQ(extract(other, indexOf(other, "good")), 0);
}

TEST_F(Pkgrd, EntriesReadTogetherStopAtTheTotalLimit) {
    void *container = open(PackageBuilder().add("a", std::string(3000, 'a')).add("b", std::string(5000, 'b')));
    ASSERT_NE(container, nullptr);
    ASSERT_EQ(setLimit(container, 10000, PKGRD_TABLE_SET_TOTAL_SIZE_LIMIT), 0);
    EXPECT_EQ(extract(container, 0), 0);
    EXPECT_EQ(extract(container, 1), 0);
    // 8000 read: another 3000 would go past 10000, so nothing of it is written.
    std::string bytes = "x";
    EXPECT_EQ(extract(container, 0, &bytes), PKGRD_PACKAGE_TOO_LARGE);
    EXPECT_EQ(bytes, "");
    char buffer[3000];
    int32_t delivered = -1;
    EXPECT_EQ(table.readEntry(container, 0, buffer, sizeof buffer, &delivered), PKGRD_PACKAGE_TOO_LARGE);
    EXPECT_EQ(delivered, 0);
    ASSERT_EQ(setLimit(container, 11000, PKGRD_TABLE_SET_TOTAL_SIZE_LIMIT), 0);
    EXPECT_EQ(extract(container, 0), 0);
}

TEST_F(Pkgrd, WhatIsNotAReadableZipOpensNothing) {
    std::string zip = PackageBuilder::document({markup::page("<Glyphs UnicodeString=\"A\"/>")}).bytes();
    TempFile file("<?xml version=\"1.0\"?><FixedDocumentSequence/>");
    EXPECT_EQ(open(file.path()), nullptr);
    for (size_t length = 0; length < zip.size(); ++length) {   // the empty file and every cut
        rewrite(file.path(), zip.substr(0, length));
        EXPECT_EQ(open(file.path()), nullptr) << "opened when cut to " << length << " bytes";
    }
    IOObj input{};
    EXPECT_EQ(table.open(nullptr, host.services(), 0), nullptr);
    EXPECT_EQ(table.open(&input, host.services(), 0), nullptr);   // no file name
    std::string missing = file.path() + ".missing";
    input.fileName = missing.data();
    EXPECT_EQ(table.open(&input, host.services(), 0), nullptr);

    host.memory().refuseRequest(1);
    rewrite(file.path(), zip);
    EXPECT_EQ(open(file.path()), nullptr) << "opened without memory for its record";
}

} // namespace
} // namespace fixrd::test
