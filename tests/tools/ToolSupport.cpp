#include "ToolSupport.h"

#include "support/PackageBuilder.h"
#include "support/PageHarness.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace fixrd::test {

const char *const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

TempFolder::TempFolder() {
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/xpstext-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Tests take permissions away; give them back so everything can go.
    for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored))
        if (it->is_directory(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

void writeFile(const std::string &path, const std::string &bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

std::map<std::string, std::string> readTree(const std::string &root) {
    std::map<std::string, std::string> tree;
    for (const auto &entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            tree[fs::relative(entry.path(), root).string()] = readFile(entry.path().string());
    return tree;
}

std::string documentWithLines(const std::vector<std::vector<std::string>> &pages, bool withFont) {
    std::vector<std::string> markups;
    for (const std::vector<std::string> &lines : pages) {
        std::string body;
        for (size_t i = 0; i < lines.size(); ++i)
            body += glyphs(10, 20.0 + 12.0 * static_cast<double>(i), lines[i]);
        markups.push_back(markup::page(body));
    }
    PackageBuilder package = PackageBuilder::document(markups);
    if (withFont)
        package.add(std::string(kTestFont).substr(1), readFile(kDejaVuSans));
    return package.bytes();
}

std::string documentSaying(const std::string &line) { return documentWithLines({{line}}); }

} // namespace fixrd::test
