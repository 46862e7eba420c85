// The real libpkgrd.so loaded through a reference host, with helpers that
// open packages and pull entries out the way the reader does.
#pragma once

#include "support/PackageBuilder.h"
#include "support/TestHost.h"

#include "companions/pkgrd/PkgrdStatus.h"
#include "companions/pkgrd/PkgrdTable.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fixrd::test {

inline std::string fileContents(const std::string &path) {
    std::ostringstream contents;
    contents << std::ifstream(path, std::ios::binary).rdbuf();
    return contents.str();
}

// Many variants of a package go through one TempFile: making and removing
// directories is slow on some filesystems, and so is truncating a file that
// holds data (ext4 flushes it), hence a fresh file each time.
inline void rewrite(const std::string &path, const std::string &bytes) {
    std::remove(path.c_str());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Bytes that deflate poorly, so large entries span many blocks either way.
inline std::string noise(size_t size, uint32_t seed = 1) {
    std::string bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

class PkgrdTest : public HostTest {
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

    void close(void *container) {
        auto at = std::find(open_.begin(), open_.end(), container);
        if (at != open_.end()) {
            open_.erase(at);
            table.close(container);
        }
    }

    // Extracts into a fresh temporary host object; *bytes gets what its file holds.
    int32_t extract(void *container, int32_t index, std::string *bytes = nullptr) {
        IOObj *target = host.files().open(nullptr, "a+");
        int32_t status = table.extractEntry(container, index, target);
        if (bytes != nullptr)
            *bytes = fileContents(target->fileName);
        target->release(target);
        return status;
    }

    int32_t setLimit(void *container, int64_t limit) {
        void *setter = table.companionReserved[PKGRD_TABLE_SET_ENTRY_SIZE_LIMIT - 5];
        return reinterpret_cast<PkgrdSetEntrySizeLimitFn>(setter)(container, limit);
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
};

} // namespace fixrd::test
