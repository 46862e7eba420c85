#include "PkgrdFixture.h"

#include <thread>

namespace fixrd::test {
namespace {

using PkgrdExtraction = PkgrdTest;

TEST_F(PkgrdExtraction, StoredDeflatedEmptyAndMultiBlockEntriesAreByteExact) {
    const std::string text = markup::page("<Glyphs UnicodeString=\"Hello\"/>");
    const std::string large = noise(3 * 65536 + 123);   // several blocks, the last one partial
    const std::string repetitive(1 << 20, 'r');          // inflates far beyond its compressed size
    const std::string exactBlock = noise(65536, 7);
    TempFile file(PackageBuilder()
                      .add("stored.xml", text, Compression::Store)
                      .add("deflated.xml", text)
                      .add("empty", "")
                      .add("empty-stored", "", Compression::Store)
                      .add("large-deflated", large)
                      .add("large-stored", large, Compression::Store)
                      .add("repetitive", repetitive)
                      .add("exact-block", exactBlock)
                      .bytes());
    void *container = open(file.path());
    ASSERT_NE(container, nullptr);
    const std::vector<std::pair<std::string, const std::string *>> expected = {
        {"stored.xml", &text},          {"deflated.xml", &text}, {"large-deflated", &large},
        {"large-stored", &large},      {"repetitive", &repetitive}, {"exact-block", &exactBlock}};
    for (const auto &[name, data] : expected) {
        std::string bytes;
        ASSERT_EQ(extract(container, indexOf(container, name), &bytes), 0) << name;
        EXPECT_TRUE(bytes == *data) << name << ": " << bytes.size() << " bytes, expected " << data->size();
    }
    for (const char *name : {"empty", "empty-stored"}) {
        std::string bytes = "not touched";
        EXPECT_EQ(extract(container, indexOf(container, name), &bytes), 0) << name;
        EXPECT_EQ(bytes, "") << name;
    }
    // The same entry twice: the container keeps no per-entry state.
    std::string again;
    EXPECT_EQ(extract(container, indexOf(container, "large-deflated"), &again), 0);
    EXPECT_TRUE(again == large);
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
    EXPECT_TRUE(buffer.compare(0, data.size(), data) == 0);
    EXPECT_EQ(buffer.back(), '#') << "wrote past the buffer";

    std::string small(data.size() - 1, '#');
    delivered = -1;
    EXPECT_EQ(table.readEntry(container, 0, small.data(), int32_t(small.size()), &delivered), PKGRD_BUFFER_TOO_SMALL);
    EXPECT_EQ(delivered, 0);
    EXPECT_EQ(small, std::string(data.size() - 1, '#')) << "a refused buffer was written to";

    // A larger buffer is fine; an empty entry needs none.
    std::string roomy(data.size() + 50, '#');
    EXPECT_EQ(table.readEntry(container, 0, roomy.data(), int32_t(roomy.size()), &delivered), 0);
    EXPECT_EQ(delivered, int32_t(data.size()));
    EXPECT_EQ(table.readEntry(container, 1, nullptr, 0, &delivered), 0);
    EXPECT_EQ(delivered, 0);
}

// An IO object whose open or write the test controls.
struct FakeTarget {
    IOObj io{};
    bool openWorks = true;
    int writesBeforeFailure = 1 << 30;
    int closes = 0;
    size_t written = 0;

    FakeTarget() {
        io.open = [](IOObj *self) { return reinterpret_cast<FakeTarget *>(self)->openWorks ? 1 : 0; };
        io.write = [](IOObj *self, const void *, uint32_t count) {
            FakeTarget *target = reinterpret_cast<FakeTarget *>(self);
            if (target->writesBeforeFailure-- <= 0)
                return 0;
            target->written += count;
            return 1;
        };
        io.close = [](IOObj *self) { return ++reinterpret_cast<FakeTarget *>(self)->closes, 1; };
    }
};

TEST_F(PkgrdExtraction, TargetThatCannotOpenOrWriteIsReported) {
    TempFile file(PackageBuilder().add("big", noise(200000)).bytes());
    void *container = open(file.path());
    ASSERT_NE(container, nullptr);

    FakeTarget unopenable;
    unopenable.openWorks = false;
    EXPECT_EQ(table.extractEntry(container, 0, &unopenable.io), PKGRD_TARGET_OPEN_FAILED);
    EXPECT_EQ(unopenable.written, 0u);

    FakeTarget full;
    full.writesBeforeFailure = 1;
    EXPECT_EQ(table.extractEntry(container, 0, &full.io), PKGRD_TARGET_WRITE_FAILED);
    EXPECT_EQ(full.written, 65536u) << "writes go in 64 KiB blocks and stop at the first refusal";
    EXPECT_EQ(full.closes, 1);

    FakeTarget good;
    EXPECT_EQ(table.extractEntry(container, 0, &good.io), 0);
    EXPECT_EQ(good.written, 200000u);
    EXPECT_EQ(good.closes, 1);

    FakeTarget noWrite;
    noWrite.io.write = nullptr;
    EXPECT_EQ(table.extractEntry(container, 0, &noWrite.io), PKGRD_BAD_ARGUMENT);
}

TEST_F(PkgrdExtraction, ContainersOnSeparateThreadsAreIndependent) {
    std::vector<std::string> parts;
    PackageBuilder package;
    for (int i = 0; i < 6; ++i) {
        parts.push_back(noise(50000 + i * 20000, i + 10));
        package.add("part" + std::to_string(i), parts.back());
    }
    TempFile file(package.bytes());
    ContainerReader reader = table;
    std::vector<int> mismatches(4, -1);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < mismatches.size(); ++t) {
        threads.emplace_back([&, t] {
            host::ReferenceHost own(libraryDirectory());
            IOObj *input = own.openInput(file.path());
            void *container = reader.open(input, own.services(), 0);
            input->release(input);
            if (container == nullptr)
                return;
            int bad = 0;
            for (int round = 0; round < 3; ++round) {
                for (int32_t i = 0; i < reader.entryCount(container); ++i) {
                    IOObj *target = own.files().open(nullptr, "a+");
                    bad += reader.extractEntry(container, i, target) != 0 || fileContents(target->fileName) != parts[i];
                    target->release(target);
                }
            }
            reader.close(container);
            mismatches[t] = bad + int(own.memory().blocksOutstanding());
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (size_t t = 0; t < mismatches.size(); ++t)
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

} // namespace
} // namespace fixrd::test
