#include "PkgrdFixture.h"

namespace fixrd::test {
namespace {

using PkgrdExtraction = PkgrdTest;

TEST_F(PkgrdExtraction, StoredDeflatedEmptyAndMultiBlockEntriesAreByteExact) {
    const std::string text = markup::page("<Glyphs UnicodeString=\"Hello\"/>");
    const std::string large = noise(3 * 65536 + 123);   // whole blocks and a partial one
    const std::string repetitive(1 << 20, 'r');          // inflates a thousandfold
    const std::vector<std::pair<std::string, const std::string *>> expected = {
        {"stored", &text}, {"deflated", &text}, {"large-stored", &large}, {"large-deflated", &large},
        {"repetitive", &repetitive}};
    TempFile file(PackageBuilder()
                      .add("stored", text, Compression::Store).add("deflated", text)
                      .add("large-stored", large, Compression::Store).add("large-deflated", large)
                      .add("repetitive", repetitive).add("empty", "").bytes());
    void *container = open(file.path());
    ASSERT_NE(container, nullptr);
    for (const auto &[name, data] : expected) {
        std::string bytes;
        ASSERT_EQ(extract(container, indexOf(container, name), &bytes), 0) << name;
        EXPECT_TRUE(bytes == *data) << name << ": " << bytes.size() << " bytes, expected " << data->size();
    }
    std::string bytes = "not written";
    EXPECT_EQ(extract(container, indexOf(container, "empty"), &bytes), 0);
    EXPECT_EQ(bytes, "");
}

TEST_F(PkgrdExtraction, ReadEntryFillsAnExactBufferAndRefusesASmallerOne) {
    const std::string data = noise(100000, 3);
    TempFile file(PackageBuilder().add("piece", data).add("empty", "").bytes());
    void *container = open(file.path());
    ASSERT_NE(container, nullptr);
    std::string buffer(data.size() + 1, '#');
    int32_t delivered = -1;
    ASSERT_EQ(table.readEntry(container, 0, buffer.data(), int32_t(data.size()), &delivered), 0);
    EXPECT_EQ(delivered, int32_t(data.size()));
    EXPECT_TRUE(buffer == data + "#");

    buffer.assign(data.size() - 1, '#');
    EXPECT_EQ(table.readEntry(container, 0, buffer.data(), int32_t(buffer.size()), &delivered),
              PKGRD_BUFFER_TOO_SMALL);
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

TEST_F(PkgrdExtraction, TargetThatCannotOpenOrWriteIsReported) {
    TempFile file(PackageBuilder().add("big", noise(200000)).bytes());
    void *container = open(file.path());
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

} // namespace
} // namespace fixrd::test
