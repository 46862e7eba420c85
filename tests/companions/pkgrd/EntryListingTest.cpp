#include "PkgrdFixture.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace fixrd::test {
namespace {

using PkgrdEntries = PkgrdTest;

TEST_F(PkgrdEntries, ExportsOnlyItsEntryPointWhichFillsTheTable) {
    std::string command = "nm -D --defined-only " + libraryDirectory() + "/libpkgrd.so | awk '{print $3}'";
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
    char exported[4096] = {};
    ASSERT_TRUE(pipe);
    exported[fread(exported, 1, sizeof exported - 1, pipe.get())] = '\0';
    EXPECT_STREQ(exported, "pkgrdGetContainerReaderInterface\n");
    EXPECT_NE(table.companionReserved[PKGRD_TABLE_SET_TOTAL_SIZE_LIMIT - 5], nullptr);
    for (int position = 8; position <= 9; ++position)
        EXPECT_EQ(table.companionReserved[position - 5], nullptr) << position;
}

TEST_F(PkgrdEntries, RawNamesCutTo279BytesAndSizesInCentralDirectoryOrder) {
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
    TempFile file(package.bytes());
    void *container = open(file.path());
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

TEST_F(PkgrdEntries, BadIndexesAndArgumentsAreRefused) {
    TempFile file(PackageBuilder().add("a", "1").add("b", "2").bytes());
    void *container = open(file.path());
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
    EXPECT_EQ(setLimit(container, -1), PKGRD_BAD_ARGUMENT);
}

} // namespace
} // namespace fixrd::test
