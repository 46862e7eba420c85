#include "support/TestHost.h"

#include "fonts/FontCache.h"
#include "frame/ReaderEntry.h"
#include "support/except/ReaderErrors.h"

#include <stdexcept>

namespace fixrd::test {
namespace {

using ContextLifecycle = HostTest;

TEST_F(ContextLifecycle, TableGetsItsFivePositionsAndKeepsTheHostsOthers) {
    ReaderInterface table;
    void *marker = reinterpret_cast<void *>(0x1234);
    for (void *&slot : table.hostReserved4)
        slot = marker;
    xpsGetReaderInterface(&table);
    EXPECT_EQ(table.allocateContext, &xpsAllocateContext);
    EXPECT_EQ(table.freeContext, &xpsFreeContext);
    EXPECT_EQ(table.initDoc, &xpsInitDoc);
    EXPECT_EQ(table.fillBuffer, &xpsFillBuffer);
    EXPECT_NE(table.getDocumentCharset, nullptr);
    for (void *slot : table.hostReserved4)
        EXPECT_EQ(slot, marker);
}

int libraryCalls = 0;

TEST_F(ContextLifecycle, CreateAndFreeBalanceHostMemoryWithoutTouchingLibraries) {
    libraryCalls = 0;
    host.services()->loadLibrary = [](HostServices *, const char *, void **) { return ++libraryCalls, 0; };
    host.services()->freeLibrary = [](HostServices *, void *) { ++libraryCalls; };

    DocContext *context = xpsAllocateContext(nullptr, nullptr, nullptr, host.services());
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->host, host.services());
    EXPECT_EQ(host.memory().blocksOutstanding(), 1);   // the working block
    EXPECT_EQ(host.memory().bytesOutstanding(), kWorkingBlockSize);
    const auto *block = static_cast<const unsigned char *>(context->workingBlock);
    for (int64_t i = 0; i < kWorkingBlockSize; ++i)
        ASSERT_EQ(block[i], 0) << "working block not cleared at " << i;
    EXPECT_EQ(context->documentCharset, 0u);
    EXPECT_EQ(context->previousOrigin, nullptr);
    EXPECT_EQ(context->unitsPerEm, 0.0);
    ASSERT_NE(context->fonts, nullptr);

    EXPECT_EQ(xpsFreeContext(context), 0);
    EXPECT_EQ(libraryCalls, 0);
    EXPECT_EQ(xpsFreeContext(nullptr), 0);
}

TEST_F(ContextLifecycle, RefusedWorkingBlockRaisesMemoryAndLeavesNothing) {
    host.memory().refuseSize(kWorkingBlockSize);
    try {
        xpsAllocateContext(nullptr, nullptr, nullptr, host.services());
        FAIL() << "expected an exception";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "memory");
    }
    host.memory().refuseSize(-1);
}

TEST_F(ContextLifecycle, FreeTypeThatWillNotStartRaisesFontErrorAndLeavesNothing) {
    auto failingInit = [](FT_Library *) -> FT_Error { return FT_Err_Out_Of_Memory; };
    try {
        createContext(host.services(), failingInit);
        FAIL() << "expected an exception";
    } catch (const FontError &e) {
        EXPECT_STREQ(e.what(), "Could not initialize FreeType");
    }
}

} // namespace
} // namespace fixrd::test
