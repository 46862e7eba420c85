// Folders, files and documents for the tests of the command.
#pragma once

#include "support/PackageBuilder.h"
#include "support/PageHarness.h"
#include "support/TestHost.h"   // readFile

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace fixrd::test {

// A private folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() : path_(makePrivateFolder("xpstext-test")) {}
    ~TempFolder() {
        namespace fs = std::filesystem;
        std::error_code ignored;
        // Tests take permissions away; give them back so everything can go.
        for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
             it.increment(ignored))
            if (it->is_directory(ignored))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::string &path() const { return path_; }
    std::string operator/(const std::string &relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Writes the file, making its folders.
inline void writeFile(const std::string &path, const std::string &bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush())
        throw std::runtime_error("cannot write " + path);
}

// Every regular file below root (hidden ones too), by path below root.
inline std::map<std::string, std::string> readTree(const std::string &root) {
    std::map<std::string, std::string> tree;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            tree[std::filesystem::relative(entry.path(), root).string()] = readFile(entry.path().string());
    return tree;
}

// A package whose pages show these lines, one page per entry, in kTestFont
// (DejaVu Sans when withFont, else not in the package); its text is the
// lines joined by newlines.
inline std::string documentWithLines(const std::vector<std::vector<std::string>> &pages, bool withFont = false) {
    std::vector<std::string> markups;
    for (const std::vector<std::string> &lines : pages) {
        std::string body;
        for (size_t i = 0; i < lines.size(); ++i)
            body += glyphs(10, 20.0 + 12.0 * static_cast<double>(i), lines[i]);
        markups.push_back(markup::page(body));
    }
    PackageBuilder package = PackageBuilder::document(markups);
    if (withFont)
        package.add(std::string(kTestFont).substr(1), readFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    return package.bytes();
}

} // namespace fixrd::test
