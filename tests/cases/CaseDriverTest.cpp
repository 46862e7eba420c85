// Runs every document case of tests/cases/*.case through the reader as a
// host would: open, pull every buffer, free.
#include "cases/CaseFile.h"
#include "support/TestHost.h"

#include "RecordStream.h"
#include "frame/ReaderEntry.h"

#include <filesystem>

namespace fixrd::test {
namespace {

namespace fs = std::filesystem;

// Pulls buffers until completion 100; the status of the first failure.
uint32_t pull(DocContext *context, std::string &records) {
    char buffer[5031];
    for (;;) {
        uint32_t count = 12345, completion = 12345;
        uint32_t status = xpsFillBuffer(context, buffer, &count, &completion);
        if (status != 0) {
            EXPECT_EQ(count + completion, 2 * 12345u) << "out-parameters written on failure";
            return status;
        }
        EXPECT_LE(count, sizeof buffer);
        records.append(buffer, count);
        if (completion == 100)
            return 0;
        EXPECT_EQ(completion, 50u);
    }
}

void run(const DocumentCase &c) {
    SCOPED_TRACE(c.where + " " + c.title);
    TempFile file(packageBytes(c));
    host::ReferenceHost host(libraryDirectory());
    host.files().refuseTemporaryFiles(c.noTemporaryFiles);
    DocContext *context = xpsAllocateContext(nullptr, nullptr, nullptr, host.services());
    ASSERT_NE(context, nullptr);
    IOObj *input = host.openInput(file.path());
    uint32_t status = xpsInitDoc(context, nullptr, nullptr, input);
    input->release(input);
    EXPECT_EQ(status, c.openStatus);
    if (status == 0 && c.openStatus == 0) {
        if (c.charset) {
            EXPECT_EQ(context->documentCharset, *c.charset);
        }
        if (c.pages) {
            EXPECT_EQ(std::vector<std::string>(context->pageNames, context->pageNames + context->pageCount), *c.pages);
        }
        host.memory().refuseSize(c.refuseMemorySize);
        std::string records;
        EXPECT_EQ(pull(context, records), c.walkStatus);
        // A host may call again: a failure is reported again, a finished walk gives nothing more.
        std::string after;
        EXPECT_EQ(pull(context, after), c.walkStatus);
        EXPECT_EQ(after, "");
        if (c.walkStatus != 0) {
            EXPECT_EQ(records, "") << "nothing is handed out from a failed walk";
        }
        if (c.records) {
            EXPECT_EQ(describeRecords(records), *c.records);
        }
        std::string text;
        EXPECT_TRUE(host::appendPlainText(records, text)) << describeRecords(records);
        if (c.text) {
            EXPECT_EQ(text, *c.text);
        }
    } else {
        EXPECT_TRUE(context->xmlLibrary == nullptr && context->containerHandle == nullptr) << "a failed open keeps nothing";
    }
    EXPECT_EQ(xpsFreeContext(context), 0);
    EXPECT_EQ(host.memory().blocksOutstanding(), 0) << "host memory blocks left outstanding";
    EXPECT_EQ(host.files().live(), 0) << "IO objects left unreleased";
    EXPECT_EQ(host.files().temporaryFiles(), 0);
}

class DocumentCases : public ::testing::TestWithParam<std::string> {};

TEST_P(DocumentCases, GiveTheirText) {
    std::vector<DocumentCase> cases;
    ASSERT_NO_THROW(cases = readCaseFile(GetParam()));
    for (const DocumentCase &c : cases)
        run(c);
}

INSTANTIATE_TEST_SUITE_P(Files, DocumentCases, ::testing::ValuesIn(caseFilesIn(FIXRD_SOURCE_DIR "/tests/cases")),
                         [](const auto &info) {
                             std::string name = fs::path(info.param).stem().string();
                             for (char &ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

} // namespace
} // namespace fixrd::test
