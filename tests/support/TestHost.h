// A reference host and a fresh context for unit tests of the module's insides.
#pragma once

#include "support/Packages.h"   // readFile

#include "ReferenceHost.h"
#include "frame/ContextLifecycle.h"
#include "frame/DocContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace fixrd::test {

// The directory of the built module and companions.
inline std::string libraryDirectory() { return FIXRD_LIB_DIR; }

struct ContextDeleter {
    void operator()(DocContext *context) const { destroyContext(context); }
};
using ContextPtr = std::unique_ptr<DocContext, ContextDeleter>;

// A new temporary IO object of the host holding `contents`.
inline IOObj *objectHolding(host::ReferenceHost &host, const std::string &contents) {
    IOObj *io = host.files().open(nullptr, "w");
    io->open(io);
    io->write(io, contents.data(), static_cast<uint32_t>(contents.size()));
    io->close(io);
    return io;
}

// A host whose memory must balance to zero when the test ends.
class HostTest : public ::testing::Test {
protected:
    host::ReferenceHost host{libraryDirectory()};

    ContextPtr newContext() { return ContextPtr(createContext(host.services())); }

    void TearDown() override {
        EXPECT_EQ(host.memory().blocksOutstanding(), 0) << "host memory blocks left outstanding";
        EXPECT_EQ(host.memory().bytesOutstanding(), 0);
        EXPECT_EQ(host.files().live(), 0) << "IO objects left unreleased";
    }
};

} // namespace fixrd::test
