#include "PkgrdFixture.h"

#include <dirent.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

namespace fixrd::test {
namespace {

using PkgrdCorpus = PkgrdTest;

std::vector<std::string> packagesIn(const std::string &folder) {
    std::vector<std::string> names;
    DIR *directory = opendir(folder.c_str());
    if (directory == nullptr)
        return names;
    while (const dirent *entry = readdir(directory)) {
        std::string name = entry->d_name;
        auto endsWith = [&](const std::string &suffix) {
            return name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
        };
        if (endsWith(".xps") || endsWith(".oxps"))
            names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

// The corpus manifest marks damaged or unusual files in its features column;
// every other listed file is a sound package that must read whole.
std::set<std::string> soundPackages(const std::string &folder) {
    std::set<std::string> sound;
    std::istringstream lines(fileContents(folder + "/MANIFEST.tsv"));
    std::string line;
    std::getline(lines, line);   // the header
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        if (fields.size() > 9 && fields[9].find("damaged-or-unusual") == std::string::npos)
            sound.insert(fields[0]);
    }
    return sound;
}

TEST_F(PkgrdCorpus, EveryFileOpensOrIsRefusedAndEveryEntryEndsInAStatus) {
    const std::string folder = FIXRD_CORPUS_DIR;
    std::vector<std::string> names = packagesIn(folder);
    if (names.empty())
        GTEST_SKIP() << "no corpus packages in " << folder;
    const std::set<std::string> sound = soundPackages(folder);
    EXPECT_GT(sound.size(), 10u) << "MANIFEST.tsv lists too few sound packages";
    auto isDeliberatelyDamaged = [&](const std::string &name) { return sound.count(name) == 0; };
    for (const std::string &name : names) {
        void *container = open(folder + "/" + name);
        if (container == nullptr) {
            std::cout << name << ": not opened\n";
            EXPECT_TRUE(isDeliberatelyDamaged(name)) << name << " did not open";
            continue;
        }
        std::map<int32_t, int> statuses;
        for (int32_t i = 0; i < table.entryCount(container); ++i) {
            EntryInfo info;
            int32_t status = table.entryInfo(container, i, &info);
            std::string bytes;
            if (status == 0)
                status = extract(container, i, &bytes);
            ++statuses[status];
            if (status == 0) {
                EXPECT_EQ(bytes.size(), size_t(info.size)) << name << ": " << info.name;
            } else {
                std::cout << name << ": " << info.name << ": " << status << " (" << describe(status) << ")\n";
                EXPECT_TRUE(isDeliberatelyDamaged(name)) << name << ": " << info.name << ": " << status;
            }
        }
        std::cout << name << ": " << table.entryCount(container) << " entries;";
        for (const auto &[status, count] : statuses)
            std::cout << " status " << status << " x" << count;
        std::cout << "\n";
        close(container);
    }
}

} // namespace
} // namespace fixrd::test
