// Writes a document for the command's transcripts, made as the document
// cases are.
//
// Usage: make-document OUT LINE...   one page showing the lines, one a line
//        make-document OUT < CASE    the package of a case text
#include "cases/CaseFile.h"

#include <fstream>
#include <iostream>

int main(int argc, char **argv) try {
    if (argc < 2) {
        std::cerr << "usage: make-document OUT [LINE...]\n";
        return 2;
    }
    std::string text = argc == 2 ? fixrd::test::readFile("/dev/stdin") : "page\n";
    for (int i = 2; i < argc; ++i)
        text += "  G 10 " + std::to_string(20 + 12 * (i - 2)) + " \"" + argv[i] + "\"\n";
    std::vector<fixrd::test::DocumentCase> cases = fixrd::test::readCases(text, "standard input");
    std::string bytes = cases.empty() ? "" : fixrd::test::packageBytes(cases[0]);
    if (!std::ofstream(argv[1], std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error("cannot write " + std::string(argv[1]));
    return cases.empty() ? 1 : 0;
} catch (const std::exception &e) {
    std::cerr << "make-document: " << e.what() << "\n";
    return 1;
}
