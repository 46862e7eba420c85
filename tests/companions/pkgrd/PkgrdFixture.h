// The real libpkgrd.so loaded through a reference host, with helpers that
// open packages and pull entries out the way the reader does.
#pragma once

#include "support/PackageBuilder.h"
#include "support/TestHost.h"

#include "companions/pkgrd/PkgrdStatus.h"
#include "companions/pkgrd/PkgrdTable.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fixrd::test {

inline std::string fileContents(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

// Replaces a file's contents: many variants of a package go through one
// TempFile, as making and removing directories is slow on some filesystems.
inline void rewrite(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class PkgrdTest : public ::testing::Test {
protected:
    host::ReferenceHost host{libraryDirectory()};
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
        for (void *container : open_)
            table.close(container);
        open_.clear();
        host.libraries().unload(library_);
        EXPECT_EQ(host.memory().blocksOutstanding(), 0) << "host memory blocks left outstanding";
        EXPECT_EQ(host.memory().bytesOutstanding(), 0);
        EXPECT_EQ(host.files().live(), 0) << "IO objects left unreleased";
        EXPECT_EQ(host.files().temporaryFiles(), 0);
    }

    // Opens path as the reader does, over a host input object (released right
    // away: the container must not need it).  Closed when the test ends.
    void *open(const std::string &path) {
        IOObj *input = host.openInput(path);
        if (input == nullptr)
            return nullptr;
        void *container = table.open(input, host.services(), 0);
        input->release(input);
        if (container != nullptr)
            open_.push_back(container);
        return container;
    }

    void close(void *container) {
        for (auto it = open_.begin(); it != open_.end(); ++it) {
            if (*it == container) {
                open_.erase(it);
                table.close(container);
                return;
            }
        }
    }

    // Extracts into a fresh temporary host object and returns what the file
    // then holds.
    int32_t extract(void *container, int32_t index, std::string *bytes = nullptr) {
        IOObj *target = host.files().open(nullptr, "a+");
        if (target == nullptr)
            return -1;
        int32_t status = table.extractEntry(container, index, target);
        if (bytes != nullptr)
            *bytes = fileContents(target->fileName);
        target->release(target);
        return status;
    }

    int32_t setLimit(void *container, int64_t limit) {
        auto set = reinterpret_cast<PkgrdSetEntrySizeLimitFn>(
            table.companionReserved[PKGRD_TABLE_SET_ENTRY_SIZE_LIMIT - 5]);
        return set(container, limit);
    }

    const char *describe(int32_t status) {
        return reinterpret_cast<PkgrdDescribeStatusFn>(table.companionReserved[PKGRD_TABLE_DESCRIBE_STATUS - 5])(
            status);
    }

    int32_t indexOf(void *container, const std::string &name) {
        for (int32_t i = 0; i < table.entryCount(container); ++i) {
            EntryInfo info;
            if (table.entryInfo(container, i, &info) == 0 && name == info.name)
                return i;
        }
        return -1;
    }

private:
    void *library_ = nullptr;
    std::vector<void *> open_;
};

// Bytes that deflate poorly, so that large entries span many blocks either way.
inline std::string noise(size_t size, uint32_t seed = 1) {
    std::string bytes(size, '\0');
    for (char &c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

} // namespace fixrd::test
