// What the command line asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xpstext {

struct Options {
    std::vector<std::string> inputs;   // files and folders, in the order given
    std::string files0From;            // a list of NUL-separated names ("-": standard input)
    bool hasFiles0From = false;
    std::string outputDir;             // -o: one file per document below it
    unsigned jobs = 0;                 // documents at once; 0 until parsed
    bool jsonl = false;                // one JSON object per document on standard output
    bool raw = false;                  // the record stream as the module hands it out
    bool charset = false;              // print the document character set number
    bool quiet = false;                // no progress line, no summary
    bool isolate = false;              // each document in a worker process
    double timeoutSeconds = 0;         // --timeout: a worker's time for one document; 0 is no limit
    int64_t maxMemory = 0;             // --max-memory: the host's budget for one document; 0 keeps its default
    bool resume = false;               // skip documents whose text below -o is newer than they are
};

// Parses argv.  Returns -1 to go on, or the exit status to leave with (0 after
// --help or --version, 2 after a usage error, already reported).
int parseCommandLine(int argc, char **argv, Options &options);

// The processors this process may run on.
unsigned availableCores();

} // namespace xpstext
