#include "PkgrdFixture.h"

namespace fixrd::test {
namespace {

using PkgrdHostile = PkgrdTest;

TEST_F(PkgrdHostile, DamagedEntriesGetTheirOwnStatusAndNeverWritePastTheirDeclaredSize) {
    const std::string data = noise(150000, 5), text(5000, 't');
    TempFile file(PackageBuilder()
                      .add("good", text)
                      .add("crc-deflated", data).corruptCrc("crc-deflated")
                      .add("crc-stored", text, Compression::Store).corruptCrc("crc-stored")
                      .add("less-deflated", data).claimUncompressedSize("less-deflated", 70000)
                      .add("less-stored", data, Compression::Store).claimUncompressedSize("less-stored", 100)
                      .add("zero", text).claimUncompressedSize("zero", 0)
                      .add("more-deflated", data).claimUncompressedSize("more-deflated", 150001)
                      .add("more-stored", text, Compression::Store).claimUncompressedSize("more-stored", 9000)
                      .add("encrypted", text).markEncrypted("encrypted")
                      .add("imploded", text).setCompressionMethod("imploded", 6)
                      .add("bzip2", text).setCompressionMethod("bzip2", 12)
                      .add("bad-deflate", std::string(300, '\xff'), Compression::Store)
                      .setCompressionMethod("bad-deflate", 8)
                      .bytes());
    void *container = open(file.path());
    ASSERT_NE(container, nullptr);
    const std::pair<const char *, int32_t> cases[] = {
        {"good", 0}, {"crc-deflated", PKGRD_CORRUPT_DATA}, {"crc-stored", PKGRD_CORRUPT_DATA},
        {"less-deflated", PKGRD_ENTRY_LONGER_THAN_DECLARED}, {"less-stored", PKGRD_ENTRY_LONGER_THAN_DECLARED},
        {"zero", PKGRD_ENTRY_LONGER_THAN_DECLARED}, {"more-deflated", PKGRD_ENTRY_SHORTER_THAN_DECLARED},
        {"more-stored", PKGRD_ENTRY_SHORTER_THAN_DECLARED}, {"encrypted", PKGRD_ENCRYPTED},
        {"imploded", PKGRD_UNSUPPORTED_METHOD}, {"bzip2", PKGRD_UNSUPPORTED_METHOD},
        {"bad-deflate", PKGRD_CORRUPT_DATA}};
    for (const auto &[name, status] : cases) {
        int32_t index = indexOf(container, name);
        EntryInfo info;
        ASSERT_EQ(table.entryInfo(container, index, &info), 0) << name;
        std::string bytes;
        EXPECT_EQ(extract(container, index, &bytes), status) << name;
        EXPECT_LE(bytes.size(), size_t(info.size)) << name;
        // readEntry into a buffer of the declared size says the same, within the buffer.
        std::string buffer(size_t(info.size) + 16, '#');
        int32_t delivered = -1;
        EXPECT_EQ(table.readEntry(container, index, buffer.data(), info.size, &delivered), status) << name;
        EXPECT_EQ(delivered, status == 0 ? info.size : 0) << name;
        EXPECT_EQ(buffer.substr(size_t(info.size)), std::string(16, '#')) << name;
    }

    // The limit belongs to one container and is checked before anything is written.
    void *other = open(file.path());
    ASSERT_EQ(setLimit(container, 5000), 0);
    EXPECT_EQ(extract(container, indexOf(container, "good")), 0);
    std::string bytes = "x";
    EXPECT_EQ(extract(container, indexOf(container, "more-stored"), &bytes), PKGRD_ENTRY_TOO_LARGE);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(setLimit(container, 4999), 0);
    EXPECT_EQ(extract(container, indexOf(container, "good")), PKGRD_ENTRY_TOO_LARGE);
    EXPECT_EQ(extract(other, indexOf(other, "good")), 0);
}

TEST_F(PkgrdHostile, EntriesReadTogetherStopAtTheTotalLimit) {
    TempFile file(PackageBuilder().add("a", std::string(3000, 'a')).add("b", std::string(5000, 'b')).bytes());
    void *container = open(file.path());
    ASSERT_NE(container, nullptr);
    auto setTotal = reinterpret_cast<PkgrdSetTotalSizeLimitFn>(table.companionReserved[PKGRD_TABLE_SET_TOTAL_SIZE_LIMIT - 5]);
    EXPECT_EQ(setTotal(nullptr, 1), PKGRD_BAD_ARGUMENT);
    EXPECT_EQ(setTotal(container, -1), PKGRD_BAD_ARGUMENT);
    ASSERT_EQ(setTotal(container, 10000), 0);
    int32_t a = indexOf(container, "a"), b = indexOf(container, "b");
    EXPECT_EQ(extract(container, a), 0);
    EXPECT_EQ(extract(container, b), 0);
    // 8000 read: another 3000 would go past 10000, so nothing of it is written.
    std::string bytes = "x";
    EXPECT_EQ(extract(container, a, &bytes), PKGRD_PACKAGE_TOO_LARGE);
    EXPECT_EQ(bytes, "");
    char buffer[3000];
    int32_t delivered = -1;
    EXPECT_EQ(table.readEntry(container, a, buffer, sizeof buffer, &delivered), PKGRD_PACKAGE_TOO_LARGE);
    EXPECT_EQ(delivered, 0);
    ASSERT_EQ(setTotal(container, 11000), 0);
    EXPECT_EQ(extract(container, a), 0);
}

} // namespace
} // namespace fixrd::test
