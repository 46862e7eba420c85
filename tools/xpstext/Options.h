// What the command line asked for.
#pragma once

#include <string>
#include <vector>

namespace xpstext {

struct Options {
    std::vector<std::string> inputs;
    bool raw = false;       // the record stream as the module hands it out
    bool charset = false;   // print the document character set number
};

// Parses argv.  Returns -1 to go on, or the exit status to leave with (0 after
// --help or --version, 2 after a usage error, already reported).
int parseCommandLine(int argc, char **argv, Options &options);

} // namespace xpstext
