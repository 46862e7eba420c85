#include "fonts/FontTestSupport.h"

#include FT_MODULE_H

#include <cstdlib>

namespace fixrd::test {
namespace {

// FreeType with a memory manager that tells the host when the library
// record itself is freed, the last step of FT_Done_FreeType.  FontCache
// takes a plain init function, so the host to tell is handed over here.
SpyHost *freeTypeWitness = nullptr;

struct WitnessedMemory {
    FT_MemoryRec_ memory;   // first: FreeType may free the record as a whole
    SpyHost *host;
    FT_Library library;
};

FT_Error witnessedInit(FT_Library *library) {
    auto *witness = static_cast<WitnessedMemory *>(std::calloc(1, sizeof(WitnessedMemory)));
    if (witness == nullptr)
        return FT_Err_Out_Of_Memory;
    witness->host = freeTypeWitness;
    witness->memory.alloc = [](FT_Memory, long size) { return std::calloc(1, static_cast<size_t>(size)); };
    witness->memory.realloc = [](FT_Memory, long, long size, void *block) {
        return std::realloc(block, static_cast<size_t>(size));
    };
    witness->memory.free = [](FT_Memory memory, void *block) {
        auto *self = reinterpret_cast<WitnessedMemory *>(memory);
        if (block == self->library)
            self->host->note("FT_Done_FreeType");
        std::free(block);
    };
    FT_Error error = FT_New_Library(&witness->memory, library);
    if (error != 0) {
        std::free(witness);
        return error;
    }
    FT_Add_Default_Modules(*library);
    witness->library = *library;
    witness->host->note("FT_Init_FreeType");
    return 0;
}

using FontCacheHost = FontTest;

TEST_F(FontCacheHost, TemporaryFilesGoInOrderOnceFreeTypeIsDone) {
    freeTypeWitness = &host;
    freeContext();
    host.clear();
    context = ContextPtr(createContext(host.services(), witnessedInit));
    freeContext();
    EXPECT_EQ(host.trace(), (std::vector<std::string>{"FT_Init_FreeType", "FT_Done_FreeType"}));

    context = ContextPtr(createContext(host.services(), witnessedInit));
    std::string font = dejaVu();
    package({{"A.ttf", font}, {"B.ttf", "broken"}, {"C.ttf", font}, {"D.ttf", font}});
    host.clear();
    fonts().unitsPerEm("A.ttf");
    EXPECT_NE(failure("B.ttf"), "");   // FreeType refuses it; its file stays all the same
    host.plantFaults({SpyFault::None, SpyFault::NullRelease});
    fonts().unitsPerEm("C.ttf");
    fonts().unitsPerEm("D.ttf");
    size_t loading = host.trace().size();
    freeContext();
    freeTypeWitness = nullptr;
    std::vector<std::string> all = host.trace();
    std::vector<std::string> temporary;
    for (const std::string &line : all)
        if (line.rfind("openIOEx", 0) == 0)
            temporary.push_back(line.substr(line.size() - 3));
    ASSERT_EQ(temporary.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<long>(loading), all.end()),
              (std::vector<std::string>{"FT_Done_FreeType", "release " + temporary[0], "release " + temporary[1],
                                        "release " + temporary[3]}));
}

} // namespace
} // namespace fixrd::test
