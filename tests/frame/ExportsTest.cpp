#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string run(const std::string &command) {
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    std::array<char, 4096> block;
    size_t n;
    while (pipe && (n = fread(block.data(), 1, block.size(), pipe.get())) > 0)
        output.append(block.data(), n);
    return output;
}

TEST(ModuleExports, ExactlyTheFiveEntryPoints) {
    std::string library = std::string(FIXRD_LIB_DIR) + "/libFIXRD.so";
    ASSERT_TRUE(std::ifstream(library).good()) << library;
    std::istringstream lines(run("nm -D --defined-only " + library));
    std::set<std::string> exported;
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, type, name;
        fields >> address >> type >> name;
        if (!name.empty())
            exported.insert(name);
    }
    std::set<std::string> expected = {"xpsGetReaderInterface", "xpsAllocateContext", "xpsFreeContext",
                                      "xpsInitDoc", "xpsFillBuffer"};
    EXPECT_EQ(exported, expected);
}

TEST(ModuleExports, DefinitionFileGivesTheOrdinals) {
    std::ifstream def(std::string(FIXRD_SOURCE_DIR) + "/Core/src/Readers/fixrd/FIXRD.def");
    ASSERT_TRUE(def.good());
    std::stringstream text;
    text << def.rdbuf();
    std::string content = text.str();
    for (auto [name, ordinal] : {std::pair{"xpsGetReaderInterface", 26}, {"xpsAllocateContext", 27},
                                 {"xpsFillBuffer", 28}, {"xpsFreeContext", 29}, {"xpsInitDoc", 30}}) {
        size_t at = content.find(name);
        ASSERT_NE(at, std::string::npos) << name;
        size_t end = content.find('\n', at);
        EXPECT_NE(content.substr(at, end - at).find("@" + std::to_string(ordinal)), std::string::npos) << name;
    }
}

} // namespace
