// xpstext: prints the text of XPS and OpenXPS documents.
#include "Options.h"

#include "Extractor.h"
#include "RecordStream.h"

#include <cstdio>
#include <iostream>

namespace {

// Text records as they are, a newline per line break, and a final newline
// after text that does not end in one.
std::string plainText(const std::string &records) {
    std::string text;
    fixrd::host::appendPlainText(records, text);
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    return text;
}

} // namespace

int main(int argc, char **argv) {
    xpstext::Options options;
    int exitStatus = xpstext::parseCommandLine(argc, argv, options);
    if (exitStatus >= 0)
        return exitStatus;

    std::string error;
    auto module = fixrd::ReaderModule::load("", error);
    if (!module) {
        std::cerr << "xpstext: cannot load the reader module: " << error << '\n';
        return 1;
    }
    fixrd::Extractor extractor(*module);
    exitStatus = 0;
    for (const std::string &input : options.inputs) {
        fixrd::Extraction result = extractor.extract(input);
        if (result.status != 0) {
            std::cerr << "xpstext: " << input << ": " << result.message << " (status " << result.status << ")\n";
            exitStatus = 1;
            continue;
        }
        if (options.charset)
            std::cout << result.charset << '\n';
        if (options.raw)
            std::cout.write(result.records.data(), static_cast<std::streamsize>(result.records.size()));
        else
            std::cout << plainText(result.records);
    }
    std::cout.flush();
    return std::cout.good() ? exitStatus : 1;
}
