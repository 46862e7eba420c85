#include "PkgrdFixture.h"

#include <set>

namespace fixrd::test {
namespace {

using PkgrdDamagedFiles = PkgrdTest;

TEST_F(PkgrdDamagedFiles, WhatIsNotAReadableZipOpensNothing) {
    TempFile file("<?xml version=\"1.0\"?><FixedDocumentSequence/>");
    EXPECT_EQ(open(file.path()), nullptr);
    for (const std::string &bytes : {std::string(), std::string("PK\x03\x04", 4)}) {
        rewrite(file.path(), bytes);
        EXPECT_EQ(open(file.path()), nullptr) << bytes.size() << " bytes";
    }
    std::string zip = PackageBuilder::document({markup::page("<Glyphs UnicodeString=\"A\"/>")}).bytes();
    for (size_t length = 0; length < zip.size(); ++length) {
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

// Each byte of a small package in turn set to a hostile value: open refuses
// the file, or each entry ends in a known status without writing more than
// it declares.
TEST_F(PkgrdDamagedFiles, EverySingleByteDamageEndsInAStatus) {
    std::string zip = PackageBuilder()
                          .add("a.xml", std::string(600, 'a') + "end")
                          .add("b.bin", noise(300), Compression::Store)
                          .add("c", "")
                          .bytes();
    std::set<int32_t> seen;
    TempFile file("");
    for (size_t at = 0; at < zip.size(); ++at) {
        for (char value : {'\x00', '\xff'}) {
            std::string damaged = zip;
            damaged[at] = value;
            rewrite(file.path(), damaged);
            void *container = open(file.path());
            seen.insert(container == nullptr ? -1 : 0);
            EntryInfo info;
            for (int32_t i = 0; container != nullptr && i < table.entryCount(container); ++i) {
                if (table.entryInfo(container, i, &info) != 0)
                    continue;
                std::string bytes;
                int32_t status = extract(container, i, &bytes);
                seen.insert(status);
                ASSERT_TRUE(status == 0 || (status >= PKGRD_BAD_ARGUMENT && status <= PKGRD_PACKAGE_TOO_LARGE))
                    << status << " at byte " << at;
                ASSERT_TRUE(status == 0 ? bytes.size() == size_t(info.size) : bytes.size() <= size_t(info.size))
                    << bytes.size() << " bytes written, " << info.size << " declared, damage at byte " << at;
            }
            close(container);
        }
    }
    EXPECT_TRUE(seen.count(-1) && seen.count(PKGRD_CORRUPT_DATA)) << "the damage missed the directory or the data";
}

} // namespace
} // namespace fixrd::test
