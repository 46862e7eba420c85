// Document cases as data: a case file describes packages and the text the
// reader must give for each, side by side (tests/cases/README.md has the
// format).
#pragma once

#include "support/Packages.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fixrd::test {

struct DocumentCase {
    std::string where;   // file:line of the case's first line
    std::string title;
    PackageBuilder package;
    std::optional<std::string> file;   // the file's bytes when they are no zip
    bool noTemporaryFiles = false;
    int64_t refuseMemorySize = -1;
    // What must come out.
    uint32_t openStatus = 0;
    uint32_t walkStatus = 0;
    std::optional<uint32_t> charset;
    std::optional<std::vector<std::string>> pages;
    std::optional<std::string> records;   // readable form, see describeRecords
    std::optional<std::string> text;
};

// The bytes of the file the case hands the reader.
std::string packageBytes(const DocumentCase &c);

// The *.case files of a folder, in byte order of their paths.
std::vector<std::string> caseFilesIn(const std::string &folder);

// Every case of a file; throws std::runtime_error naming the line of a fault.
std::vector<DocumentCase> readCaseFile(const std::string &path);
// The same for a case text, its faults named after `path`.
std::vector<DocumentCase> readCases(const std::string &text, const std::string &path);

// A record stream as "[text]" per text record, "_" for a record holding one
// space and "/" for a line break; "<error>" where it is malformed.
std::string describeRecords(const std::string &records);

} // namespace fixrd::test
