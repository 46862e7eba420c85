// Every public XPS and OpenXPS file of the shared corpus, end to end: each
// either succeeds with well-formed records and valid UTF-8 text or fails
// with a status and a message, and nothing is left behind either way.
#include "support/TestHost.h"

#include "Extractor.h"
#include "RecordStream.h"
#include "frame/ReaderEntry.h"

#include <iconv.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>

namespace fixrd::test {
namespace {

namespace fs = std::filesystem;

bool validUtf8(std::string text) {
    iconv_t check = iconv_open("UTF-8", "UTF-8");
    std::string out(text.size(), '\0');
    char *in = text.data(), *at = out.data();
    size_t inLeft = text.size(), outLeft = out.size();
    bool valid = iconv(check, &in, &inLeft, &at, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
    iconv_close(check);
    return valid;
}

std::vector<int64_t> leftIn(host::ReferenceHost &host) {
    return {host.memory().blocksOutstanding(), host.files().live(), host.files().temporaryFiles()};
}

TEST(Corpus, EveryDocumentSucceedsOrFailsCleanlyAndWellFormedOnesOpenWithTheirPageList) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(FIXRD_CORPUS_DIR, error))
        if (entry.path().extension() == ".xps" || entry.path().extension() == ".oxps")
            files.push_back(entry.path());
    if (files.empty())
        GTEST_SKIP() << "no corpus at " << FIXRD_CORPUS_DIR << " (it is not shipped with the project)";
    std::sort(files.begin(), files.end());
    // Page counts from the manifest, by file name.
    std::map<std::string, int> pages;
    std::istringstream lines(readFile(std::string(FIXRD_CORPUS_DIR) + "/MANIFEST.tsv"));
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        if (fields.size() > 7 && !fields[7].empty() && std::isdigit(static_cast<unsigned char>(fields[7][0])))
            pages[fields[0]] = std::stoi(fields[7]);
    }
    std::string problem;
    auto module = ReaderModule::load(FIXRD_LIB_DIR, problem);
    ASSERT_TRUE(module) << problem;

    for (const fs::path &file : files) {
        const std::string name = file.filename().string();
        SCOPED_TRACE(name);
        Extractor extractor(*module);
        auto started = std::chrono::steady_clock::now();
        Extraction result = extractor.extract(file.string());
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
        std::string text;
        if (result.status == 0)
            EXPECT_TRUE(host::appendPlainText(result.records, text) && validUtf8(text)) << "malformed records or text";
        else
            EXPECT_TRUE(!result.message.empty() && result.records.empty()) << "a failure with no message, or records handed on";
        EXPECT_EQ(leftIn(extractor.host()), std::vector<int64_t>(3, 0)) << "blocks, objects, temporary files";

        // The open alone, for the page list.  Damaged packages fail by design; every other one must open.
        host::ReferenceHost host(FIXRD_LIB_DIR);
        DocContext *context = xpsAllocateContext(nullptr, nullptr, nullptr, host.services());
        IOObj *input = host.openInput(file.string());
        uint32_t status = xpsInitDoc(context, nullptr, nullptr, input);
        bool damaged = name.rfind("conf-zip-", 0) == 0 || name.rfind("conf-not-a-zip", 0) == 0 ||
                       name.rfind("conf-missing-fdoc", 0) == 0 || name == "wpftest-encrypted-rm-package.xps" ||
                       name == "mupdf-fuzz-minimal.xps";
        EXPECT_TRUE(damaged || status == 0) << "open status " << status;
        EXPECT_TRUE(damaged || status != 0 || pages.count(name) == 0 || context->pageCount == pages[name])
            << context->pageCount << " pages";
        input->release(input);
        xpsFreeContext(context);
        EXPECT_EQ(leftIn(host), std::vector<int64_t>(3, 0));
    }
}

} // namespace
} // namespace fixrd::test
