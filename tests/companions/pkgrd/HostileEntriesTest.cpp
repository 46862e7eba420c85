#include "PkgrdFixture.h"

namespace fixrd::test {
namespace {

using PkgrdHostile = PkgrdTest;

struct Case {
    const char *name;
    int32_t status;
    size_t mostBytesWritten;
};

TEST_F(PkgrdHostile, DamagedEntriesGetTheirOwnStatusAndNeverWritePastTheirDeclaredSize) {
    const std::string data = noise(150000, 5);
    const std::string text(5000, 't');
    PackageBuilder package;
    package.add("good", text)
        .add("crc-deflated", data).corruptCrc("crc-deflated")
        .add("crc-stored", text, Compression::Store).corruptCrc("crc-stored")
        .add("claims-less-deflated", data).claimUncompressedSize("claims-less-deflated", 70000)
        .add("claims-less-stored", data, Compression::Store).claimUncompressedSize("claims-less-stored", 100)
        .add("claims-more-deflated", data).claimUncompressedSize("claims-more-deflated", 150001)
        .add("claims-more-stored", text, Compression::Store).claimUncompressedSize("claims-more-stored", 9000)
        .add("claims-zero", text).claimUncompressedSize("claims-zero", 0)
        .add("encrypted", text).markEncrypted("encrypted")
        .add("imploded", text).setCompressionMethod("imploded", 6)
        .add("bzip2", text).setCompressionMethod("bzip2", 12)
        .add("not-deflate", std::string(300, '\xff'), Compression::Store).setCompressionMethod("not-deflate", 8);
    TempFile file(package.bytes());
    void *container = open(file.path());
    ASSERT_NE(container, nullptr);

    const Case cases[] = {
        {"good", 0, 5000},
        {"crc-deflated", PKGRD_CORRUPT_DATA, 150000},
        {"crc-stored", PKGRD_CORRUPT_DATA, 5000},
        {"claims-less-deflated", PKGRD_ENTRY_LONGER_THAN_DECLARED, 70000},
        {"claims-less-stored", PKGRD_ENTRY_LONGER_THAN_DECLARED, 100},
        {"claims-more-deflated", PKGRD_ENTRY_SHORTER_THAN_DECLARED, 150000},
        {"claims-more-stored", PKGRD_ENTRY_SHORTER_THAN_DECLARED, 5000},
        {"claims-zero", PKGRD_ENTRY_LONGER_THAN_DECLARED, 0},
        {"encrypted", PKGRD_ENCRYPTED, 0},
        {"imploded", PKGRD_UNSUPPORTED_METHOD, 0},
        {"bzip2", PKGRD_UNSUPPORTED_METHOD, 0},
        {"not-deflate", PKGRD_CORRUPT_DATA, 300},
    };
    for (const Case &c : cases) {
        int32_t index = indexOf(container, c.name);
        ASSERT_GE(index, 0) << c.name;
        std::string bytes;
        EXPECT_EQ(extract(container, index, &bytes), c.status) << c.name;
        EXPECT_LE(bytes.size(), c.mostBytesWritten) << c.name;

        // readEntry into a buffer of the declared size reports the same.
        EntryInfo info;
        ASSERT_EQ(table.entryInfo(container, index, &info), 0);
        std::string buffer(size_t(info.size) + 16, '#');
        int32_t delivered = -1;
        EXPECT_EQ(table.readEntry(container, index, buffer.data(), info.size, &delivered), c.status) << c.name;
        EXPECT_EQ(buffer.substr(size_t(info.size)), std::string(16, '#')) << c.name << ": wrote past the buffer";
        EXPECT_EQ(delivered, c.status == 0 ? info.size : 0) << c.name;
    }
}

TEST_F(PkgrdHostile, SizeLimitRefusesLargerEntriesBeforeWritingAnything) {
    TempFile file(PackageBuilder()
                      .add("at-limit", std::string(1000, 'a'))
                      .add("over-limit", std::string(1001, 'b'))
                      .add("small-but-inflates-large", std::string(5000, 'c'))
                      .claimUncompressedSize("small-but-inflates-large", 10)
                      .bytes());
    void *container = open(file.path());
    ASSERT_NE(container, nullptr);
    ASSERT_EQ(setLimit(container, 1000), 0);

    std::string bytes;
    EXPECT_EQ(extract(container, 0, &bytes), 0);
    EXPECT_EQ(bytes.size(), 1000u);
    bytes = "x";
    EXPECT_EQ(extract(container, 1, &bytes), PKGRD_ENTRY_TOO_LARGE);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(extract(container, 2, &bytes), PKGRD_ENTRY_LONGER_THAN_DECLARED);
    EXPECT_LE(bytes.size(), 10u);
    char buffer[2000];
    int32_t delivered = -1;
    EXPECT_EQ(table.readEntry(container, 1, buffer, sizeof buffer, &delivered), PKGRD_ENTRY_TOO_LARGE);

    // The limit belongs to the container: a second one keeps the default.
    void *other = open(file.path());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(extract(other, 1), 0);
    ASSERT_EQ(setLimit(container, 0), 0);
    EXPECT_EQ(extract(container, 0), PKGRD_ENTRY_TOO_LARGE);
}

} // namespace
} // namespace fixrd::test
