#include "PkgrdFixture.h"

#include <set>

namespace fixrd::test {
namespace {

using PkgrdDamagedFiles = PkgrdTest;

bool isKnownStatus(int32_t status) {
    return status == 0 || (status >= PKGRD_BAD_ARGUMENT && status <= PKGRD_OUT_OF_MEMORY);
}

TEST_F(PkgrdDamagedFiles, WhatIsNotAZipOpensNothing) {
    TempFile text("<?xml version=\"1.0\"?><FixedDocumentSequence/>");
    TempFile empty("");
    TempFile signatureOnly(std::string("PK\x03\x04", 4));
    EXPECT_EQ(open(text.path()), nullptr);
    EXPECT_EQ(open(empty.path()), nullptr);
    EXPECT_EQ(open(signatureOnly.path()), nullptr);

    EXPECT_EQ(table.open(nullptr, host.services(), 0), nullptr);
    IOObj nameless{};
    EXPECT_EQ(table.open(&nameless, host.services(), 0), nullptr);
    IOObj missing{};
    std::string path = text.path() + ".missing";
    missing.fileName = path.data();
    EXPECT_EQ(table.open(&missing, host.services(), 0), nullptr);
    IOObj directory{};
    std::string folder = text.path().substr(0, text.path().rfind('/'));
    directory.fileName = folder.data();
    EXPECT_EQ(table.open(&directory, host.services(), 0), nullptr);

    // An end record alone is a zip, only an empty one.
    TempFile noEntries(PackageBuilder().bytes());
    void *container = open(noEntries.path());
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(table.entryCount(container), 0);
}

TEST_F(PkgrdDamagedFiles, EveryTruncationOfAPackageOpensNothing) {
    std::string zip = PackageBuilder::document({markup::page("<Glyphs UnicodeString=\"A\"/>")}).bytes();
    TempFile cut("");
    for (size_t length = 0; length < zip.size(); ++length) {
        rewrite(cut.path(), zip.substr(0, length));
        void *container = open(cut.path());
        EXPECT_EQ(container, nullptr) << "opened when cut to " << length << " bytes";
        close(container);
    }
}

// Each byte of a small package in turn set to a hostile value: open either
// refuses the file or every entry ends in a known status, with no more bytes
// written than the entry declares.
TEST_F(PkgrdDamagedFiles, EverySingleByteDamageEndsInAStatus) {
    std::string zip = PackageBuilder()
                          .add("a.xml", std::string(600, 'a') + "end")
                          .add("b.bin", noise(300), Compression::Store)
                          .add("c", "")
                          .bytes();
    std::set<int32_t> seen;
    TempFile file("");
    for (size_t at = 0; at < zip.size(); ++at) {
        for (unsigned char value : {0x00, 0x7f, 0xff}) {
            std::string damaged = zip;
            if (static_cast<unsigned char>(damaged[at]) == value)
                continue;
            damaged[at] = static_cast<char>(value);
            rewrite(file.path(), damaged);
            void *container = open(file.path());
            if (container == nullptr) {
                seen.insert(-1);
                continue;
            }
            for (int32_t i = 0; i < table.entryCount(container); ++i) {
                EntryInfo info;
                if (table.entryInfo(container, i, &info) != 0)
                    continue;
                std::string bytes;
                int32_t status = extract(container, i, &bytes);
                seen.insert(status);
                ASSERT_TRUE(isKnownStatus(status)) << status << " at byte " << at;
                ASSERT_LE(bytes.size(), size_t(info.size)) << "byte " << at;
                if (status == 0) {
                    ASSERT_EQ(bytes.size(), size_t(info.size)) << "byte " << at;
                }
            }
            close(container);
        }
    }
    // The damage reached both the directory and the data.
    EXPECT_TRUE(seen.count(-1));
    EXPECT_TRUE(seen.count(PKGRD_CORRUPT_DATA));
}

TEST_F(PkgrdDamagedFiles, RefusedHostMemoryOpensNothingAndLeavesNothing) {
    TempFile file(PackageBuilder().add("a", "1").add("b", "2").bytes());
    host.memory().refuseRequest(1);
    EXPECT_EQ(open(file.path()), nullptr);
    void *container = open(file.path());
    ASSERT_NE(container, nullptr);
    EXPECT_GT(host.memory().blocksOutstanding(), 0) << "the container record lives in host memory";
    close(container);
    EXPECT_EQ(host.memory().blocksOutstanding(), 0);
}

} // namespace
} // namespace fixrd::test
