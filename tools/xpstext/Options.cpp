#include "Options.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace xpstext {

int parseCommandLine(int argc, char **argv, Options &options) {
    CLI::App app{"Extracts the text of XPS and OpenXPS documents.", "xpstext"};
    app.set_version_flag("--version", std::string("xpstext (fixrd) ") + FIXRD_VERSION);
    app.add_option("FILE", options.inputs, "XPS or OpenXPS files to read")->required();
    app.add_flag("--raw", options.raw, "write the reader's record stream instead of plain text");
    app.add_flag("--charset", options.charset, "print each document's character set number before its text");
    app.footer("Exit status: 0 when every document was read, 1 when one failed, 2 for usage errors.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::CallForVersion &) {
        std::cout << app.version() << '\n';
        return 0;
    } catch (const CLI::ParseError &e) {
        std::cerr << "xpstext: " << e.what() << "\nTry 'xpstext --help' for more information.\n";
        return 2;
    }
    return -1;
}

} // namespace xpstext
