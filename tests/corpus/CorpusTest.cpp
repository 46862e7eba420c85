// Every public XPS and OpenXPS file of the shared corpus, end to end: each
// either succeeds with well-formed records and valid UTF-8 text or fails
// with a status and a message, and nothing is left behind either way.
#include "support/TestHost.h"

#include "Extractor.h"
#include "RecordStream.h"
#include "frame/ReaderEntry.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>

namespace fixrd::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpusFiles() {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(FIXRD_CORPUS_DIR, error)) {
        std::string extension = entry.path().extension().string();
        if (extension == ".xps" || extension == ".oxps")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Page counts from the corpus manifest, by file name.
std::map<std::string, int> manifestPages() {
    std::map<std::string, int> pages;
    std::istringstream lines(readFile(std::string(FIXRD_CORPUS_DIR) + "/MANIFEST.tsv"));
    std::string line;
    std::getline(lines, line);   // header
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        if (fields.size() > 7 && !fields[7].empty() && std::isdigit(static_cast<unsigned char>(fields[7][0])))
            pages[fields[0]] = std::stoi(fields[7]);
    }
    return pages;
}

bool validUtf8(const std::string &text) {
    size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

class Corpus : public ::testing::Test {
protected:
    void SetUp() override {
        if (corpusFiles().empty())
            GTEST_SKIP() << "no corpus at " << FIXRD_CORPUS_DIR << " (it is not shipped with the project)";
    }
};

TEST_F(Corpus, EveryDocumentSucceedsOrFailsCleanly) {
    std::string error;
    auto module = ReaderModule::load(FIXRD_LIB_DIR, error);
    ASSERT_TRUE(module) << error;
    for (const fs::path &file : corpusFiles()) {
        SCOPED_TRACE(file.filename().string());
        Extractor extractor(*module);
        auto started = std::chrono::steady_clock::now();
        Extraction result = extractor.extract(file.string());
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::cout << file.filename().string() << ": status " << result.status << ", " << result.records.size()
                  << " record bytes, " << seconds << " s\n";
        EXPECT_LT(seconds, 60.0);
        if (result.status == 0) {
            std::string text;
            EXPECT_TRUE(host::appendPlainText(result.records, text)) << "malformed record stream";
            EXPECT_TRUE(validUtf8(text));
        } else {
            EXPECT_FALSE(result.message.empty());
            EXPECT_TRUE(result.records.empty()) << "nothing is handed on from a failed document";
        }
        EXPECT_EQ(extractor.host().memory().blocksOutstanding(), 0);
        EXPECT_EQ(extractor.host().files().live(), 0);
        EXPECT_EQ(extractor.host().files().temporaryFiles(), 0);
    }
}

TEST_F(Corpus, WellFormedPackagesOpenWithTheirPageList) {
    std::map<std::string, int> pages = manifestPages();
    for (const fs::path &file : corpusFiles()) {
        std::string name = file.filename().string();
        SCOPED_TRACE(name);
        host::ReferenceHost host(FIXRD_LIB_DIR);
        DocContext *context = xpsAllocateContext(nullptr, nullptr, nullptr, host.services());
        IOObj *input = host.openInput(file.string());
        uint32_t status = xpsInitDoc(context, nullptr, nullptr, input);
        int32_t count = context->pageCount;
        std::cout << name << ": open status " << status << ", " << count << " pages\n";
        // Damaged packages fail by design; every other one must open.
        bool damaged = name.rfind("conf-zip-", 0) == 0 || name.rfind("conf-not-a-zip", 0) == 0 ||
                       name.rfind("conf-missing-fdoc", 0) == 0 || name == "wpftest-encrypted-rm-package.xps" ||
                       name == "mupdf-fuzz-minimal.xps";
        if (!damaged) {
            EXPECT_EQ(status, 0u);
            // Only the last document of a sequence is read.
            bool severalDocuments = name.find("two-fixeddocs") != std::string::npos || name.find("2docs") != std::string::npos;
            if (status == 0 && !severalDocuments && pages.count(name) != 0)
                EXPECT_EQ(count, pages[name]);
        }
        input->release(input);
        xpsFreeContext(context);
        EXPECT_EQ(host.memory().blocksOutstanding(), 0);
        EXPECT_EQ(host.files().live(), 0);
    }
}

} // namespace
} // namespace fixrd::test
