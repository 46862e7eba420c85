#include "PkgrdFixture.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>

namespace fixrd::test {
namespace {

using PkgrdEntries = PkgrdTest;

std::set<std::string> exportedSymbols(const std::string &library) {
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(("nm -D --defined-only " + library).c_str(), "r"), pclose);
    std::set<std::string> names;
    std::array<char, 512> line;
    while (pipe && fgets(line.data(), line.size(), pipe.get()) != nullptr) {
        char address[64], type[8], name[256];
        if (std::sscanf(line.data(), "%63s %7s %255s", address, type, name) == 3)
            names.insert(name);
    }
    return names;
}

TEST_F(PkgrdEntries, LibraryExportsOnlyItsEntryPointWhichFillsTheTable) {
    EXPECT_EQ(exportedSymbols(libraryDirectory() + "/libpkgrd.so"),
              std::set<std::string>{"pkgrdGetContainerReaderInterface"});
    EXPECT_NE(table.open, nullptr);
    EXPECT_NE(table.close, nullptr);
    EXPECT_NE(table.entryInfo, nullptr);
    EXPECT_NE(table.extractEntry, nullptr);
    EXPECT_NE(table.entryCount, nullptr);
    EXPECT_NE(table.readEntry, nullptr);
    EXPECT_NE(table.companionReserved[0], nullptr);
    EXPECT_NE(table.companionReserved[1], nullptr);
    for (int position = 7; position <= 9; ++position)
        EXPECT_EQ(table.companionReserved[position - 5], nullptr) << position;

    // Every status has its own phrase.
    std::set<std::string> phrases;
    for (int32_t status = PKGRD_BAD_ARGUMENT; status <= PKGRD_OUT_OF_MEMORY; ++status)
        phrases.insert(describe(status));
    EXPECT_EQ(phrases.size(), size_t(PKGRD_OUT_OF_MEMORY - PKGRD_BAD_ARGUMENT + 1));
    EXPECT_EQ(phrases.count(describe(99)), 0u);
}

TEST_F(PkgrdEntries, RawNamesAndSizesInCentralDirectoryOrder) {
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"b.xml", "bbb"},
        {"[Content_Types].xml", "types"},
        {"Documents/1/Pages/1.fpage", std::string(70000, 'p')},
        {"caf\xc3\xa9 d\xfcr\\x", "raw"},          // UTF-8, then a lone Latin-1 byte and a backslash
        {"/leading", ""},
        {"Folder/", ""},
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
        EXPECT_EQ(std::string(info.name), entries[i].first) << i;
        EXPECT_EQ(info.size, int32_t(entries[i].second.size())) << i;
    }
}

TEST_F(PkgrdEntries, LongNameIsCutTo279BytesAndTerminated) {
    std::string name;
    for (int i = 0; name.size() < 300; ++i)
        name += "d" + std::to_string(i) + "/";
    name.resize(300);
    TempFile file(PackageBuilder().add(name, "x").add("short", "y").bytes());
    void *container = open(file.path());
    ASSERT_NE(container, nullptr);
    EntryInfo info;
    ASSERT_EQ(table.entryInfo(container, 0, &info), 0);
    EXPECT_EQ(info.name[279], '\0');
    EXPECT_EQ(std::string(info.name), name.substr(0, 279));
    EXPECT_EQ(info.size, 1);
    ASSERT_EQ(table.entryInfo(container, 1, &info), 0);
    EXPECT_STREQ(info.name, "short");
}

TEST_F(PkgrdEntries, BadIndexesAndNullArgumentsAreRefused) {
    TempFile file(PackageBuilder().add("a", "1").add("b", "2").bytes());
    void *container = open(file.path());
    ASSERT_NE(container, nullptr);
    EntryInfo info;
    char buffer[4];
    int32_t delivered = -1;
    for (int32_t index : {-1, 2, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(table.entryInfo(container, index, &info), PKGRD_BAD_ARGUMENT) << index;
        EXPECT_EQ(extract(container, index), PKGRD_BAD_ARGUMENT) << index;
        EXPECT_EQ(table.readEntry(container, index, buffer, sizeof buffer, &delivered), PKGRD_BAD_ARGUMENT);
    }
    EXPECT_EQ(table.entryInfo(container, 0, nullptr), PKGRD_BAD_ARGUMENT);
    EXPECT_EQ(table.entryInfo(nullptr, 0, &info), PKGRD_BAD_ARGUMENT);
    EXPECT_EQ(table.extractEntry(container, 0, nullptr), PKGRD_BAD_ARGUMENT);
    EXPECT_EQ(table.readEntry(container, 0, buffer, -1, &delivered), PKGRD_BAD_ARGUMENT);
    EXPECT_EQ(table.readEntry(container, 0, nullptr, 4, &delivered), PKGRD_BAD_ARGUMENT);
    EXPECT_EQ(table.readEntry(container, 0, buffer, 4, nullptr), PKGRD_BAD_ARGUMENT);
    EXPECT_EQ(table.readEntry(nullptr, 0, buffer, 4, &delivered), PKGRD_BAD_ARGUMENT);
    EXPECT_EQ(table.entryCount(nullptr), 0);
    EXPECT_EQ(setLimit(nullptr, 10), PKGRD_BAD_ARGUMENT);
    EXPECT_EQ(setLimit(container, -1), PKGRD_BAD_ARGUMENT);
    table.close(nullptr);
}

} // namespace
} // namespace fixrd::test
