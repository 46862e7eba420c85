// Prints the text of one XPS or OpenXPS file through the fixrd host API.
#include "Extractor.h"
#include "RecordStream.h"

#include <iostream>
#include <string>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::cerr << "usage: extract-text FILE.xps\n";
        return 2;
    }
    std::string error;
    // An empty folder: libFIXRD.so and its companions beside libfixrd-host.so.
    auto module = fixrd::ReaderModule::load("", error);
    if (!module) {
        std::cerr << "extract-text: cannot load the reader: " << error << '\n';
        return 1;
    }
    fixrd::Extractor extractor(*module);   // one per thread
    fixrd::Extraction result = extractor.extract(argv[1]);
    if (result.status != 0) {
        std::cerr << "extract-text: " << argv[1] << ": " << result.message << " (status " << result.status << ")\n";
        return 1;
    }
    std::string text;
    fixrd::host::appendPlainText(result.records, text);
    std::cout << text << '\n';
    return 0;
}
