// The module's boundary: what the libraries export, the reader interface
// table and the life of a context.
#include "support/Command.h"
#include "support/TestHost.h"

#include "fonts/FontCache.h"
#include "frame/ReaderEntry.h"
#include "support/except/ReaderErrors.h"

#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>

namespace fixrd::test {
namespace {

TEST(ModuleExports, EachLibraryExportsOnlyItsEntryPointsAndTheDefinitionFileGivesTheOrdinals) {
    const std::vector<std::pair<std::string, std::set<std::string>>> libraries = {
        {"libFIXRD.so", {"xpsGetReaderInterface", "xpsAllocateContext", "xpsFreeContext", "xpsInitDoc", "xpsFillBuffer"}},
        {"libpkgrd.so", {"pkgrdGetContainerReaderInterface"}},
        {"libmkparse.so", {"mkpGetInterface"}}};
    for (const auto &[library, expected] : libraries) {
        CommandResult nm = runCommand("/usr/bin/nm", {"-D", "--defined-only", libraryDirectory() + "/" + library});
        ASSERT_EQ(nm.exitStatus, 0) << library << ": " << nm.err;
        std::istringstream lines(nm.out);
        std::set<std::string> exported;
        for (std::string address, type, name; lines >> address >> type >> name;)
            exported.insert(name);
        EXPECT_EQ(exported, expected) << library;
    }
    std::string def = readFile(std::string(FIXRD_SOURCE_DIR) + "/Core/src/Readers/fixrd/FIXRD.def");
    for (auto [name, ordinal] : {std::pair{"xpsGetReaderInterface", 26}, {"xpsAllocateContext", 27},
                                 {"xpsFillBuffer", 28}, {"xpsFreeContext", 29}, {"xpsInitDoc", 30}})
        EXPECT_TRUE(std::regex_search(def, std::regex(std::string("\n\\s*") + name + "\\s+@" + std::to_string(ordinal) + "\\s")))
            << name;
}

using ContextLifecycle = HostTest;

TEST_F(ContextLifecycle, TableGetsItsFivePositionsAndKeepsTheHostsOthers) {
    ReaderInterface table;
    void *marker = &table;
    std::fill(std::begin(table.hostReserved4), std::end(table.hostReserved4), marker);
    xpsGetReaderInterface(&table);
    EXPECT_EQ(table.allocateContext, &xpsAllocateContext);
    EXPECT_EQ(table.freeContext, &xpsFreeContext);
    EXPECT_EQ(table.initDoc, &xpsInitDoc);
    EXPECT_EQ(table.fillBuffer, &xpsFillBuffer);
    EXPECT_NE(table.getDocumentCharset, nullptr);
    EXPECT_EQ(std::count(std::begin(table.hostReserved4), std::end(table.hostReserved4), marker), 5);
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
    EXPECT_EQ(std::count(block, block + kWorkingBlockSize, 0), kWorkingBlockSize) << "working block not cleared";
    ASSERT_NE(context->fonts, nullptr);
    EXPECT_EQ(xpsFreeContext(context), 0);
    EXPECT_EQ(libraryCalls, 0);
    EXPECT_EQ(xpsFreeContext(nullptr), 0);
}

TEST_F(ContextLifecycle, RefusedWorkingBlockOrFreeTypeRaiseTheirErrorsAndLeaveNothing) {
    auto errorOf = [](auto create) -> std::string {
        try {
            create();
            return "no exception";
        } catch (const std::runtime_error &e) {
            return typeid(e).name() + std::string(": ") + e.what();
        }
    };
    host.memory().refuseSize(kWorkingBlockSize);
    EXPECT_EQ(errorOf([&] { xpsAllocateContext(nullptr, nullptr, nullptr, host.services()); }),
              typeid(std::runtime_error).name() + std::string(": memory"));
    host.memory().refuseSize(-1);
    auto failingInit = [](FT_Library *) -> FT_Error { return FT_Err_Out_Of_Memory; };
    EXPECT_EQ(errorOf([&] { createContext(host.services(), failingInit); }),
              typeid(FontError).name() + std::string(": Could not initialize FreeType"));
}

} // namespace
} // namespace fixrd::test
