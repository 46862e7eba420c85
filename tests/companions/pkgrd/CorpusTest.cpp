#include "PkgrdFixture.h"

#include <iostream>
#include <map>

namespace fixrd::test {
namespace {

using PkgrdCorpus = PkgrdTest;

// Files of the corpus manifest (first column) and whether they are sound: the
// features column does not mark them damaged or unusual.
std::map<std::string, bool> corpusFiles(const std::string &folder) {
    std::map<std::string, bool> files;
    std::istringstream lines(fileContents(folder + "/MANIFEST.tsv"));
    std::string line;
    for (std::getline(lines, line); std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        if (fields.size() > 9)
            files[fields[0]] = fields[9].find("damaged-or-unusual") == std::string::npos;
    }
    return files;
}

TEST_F(PkgrdCorpus, SoundPackagesReadWholeAndDamagedOnesEndInStatuses) {
    const std::string folder = FIXRD_CORPUS_DIR;
    const std::map<std::string, bool> files = corpusFiles(folder);
    if (files.empty())
        GTEST_SKIP() << "no corpus manifest at " << folder << "/MANIFEST.tsv";
    for (const auto &[name, sound] : files) {
        void *container = open(folder + "/" + name);
        EXPECT_TRUE(container != nullptr || !sound) << name << " did not open";
        std::cout << name << (container == nullptr ? ": not opened\n" : ":");
        std::map<int32_t, int> statuses;
        for (int32_t i = 0; container != nullptr && i < table.entryCount(container); ++i) {
            EntryInfo info;
            std::string bytes;
            int32_t status = table.entryInfo(container, i, &info);
            if (status == 0)
                status = extract(container, i, &bytes);
            ++statuses[status];
            EXPECT_TRUE(status == 0 ? bytes.size() == size_t(info.size) : !sound) << name << ": " << info.name;
        }
        for (const auto &[status, count] : statuses)
            std::cout << " " << count << " x status " << status;
        if (container != nullptr)
            std::cout << "\n";
        close(container);
    }
}

} // namespace
} // namespace fixrd::test
