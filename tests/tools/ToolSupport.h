// Folders, files and documents for the tests of the command.
#pragma once

#include "support/TestHost.h"   // readFile

#include <map>
#include <string>
#include <vector>

namespace fixrd::test {

// A private folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::string &path() const { return path_; }
    std::string operator/(const std::string &relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Writes the file, making its folders.
void writeFile(const std::string &path, const std::string &bytes);
// Every regular file below root (hidden ones too), by path below root.
std::map<std::string, std::string> readTree(const std::string &root);

// A package whose pages show these lines, one page per entry; its text is
// the lines joined by newlines.
std::string documentWithLines(const std::vector<std::vector<std::string>> &pages, bool withFont = false);
// A one-page package whose text is `line`.
std::string documentSaying(const std::string &line);

} // namespace fixrd::test
