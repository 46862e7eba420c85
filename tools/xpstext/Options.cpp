#include "Options.h"

#include <CLI/CLI.hpp>

#include <sched.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <thread>

namespace xpstext {

namespace {

const char *kFooter = R"help(Several files, folders or --files0-from make a batch run.  Folders are
searched recursively for .xps and .oxps files (any letter case); symbolic links
to folders are not followed.  Each folder's documents are read in byte order of
their paths, after the documents named before it.

Without -o the texts go to standard output one after another, in input order,
whatever -j is.  With -o DIR each document's text goes to its own file below
DIR: a document found in a folder you named keeps its path below that folder,
a file you named keeps its path as written (without a leading /, . or ..);
.txt is added to the name (.rec with --raw): a.xps gives a.xps.txt.  Files are written under a
temporary name (.NAME.xpstext-tmp.XXXXXX) and renamed when complete.  An input
is never overwritten, nor a file written twice in one run.

--jsonl needs -o: the JSON lines take standard output.  Each line has path,
status, message, bytes (of text written), seconds and output (the file written,
or null).

With --isolate a document that crashes its worker fails with status 204
("the reader crashed (SIGSEGV)"), and one still running after --timeout with
205; a fresh worker takes the next document.  --resume skips a document whose
text below -o is newer than it (reported with "skipped":true, and counted in
the summary), so a batch cut short can be run again to finish it.

Failures print one line on standard error, "xpstext: FILE: MESSAGE (status N)",
and the run goes on.  Besides the reader's statuses: 200 a folder cannot be
read, 201 a folder you named holds no .xps or .oxps file, 202 not a regular
file or folder, 203 the output cannot be written, 204 and 205 as above.  Each
counts as a failed document.  Batch runs end with a summary on standard error, and show a progress
line there when it is a terminal that the texts do not go to (-q turns both
off).

Exit status: 0 when every document was read, 1 when one failed, 2 for usage
errors (and when the -o folder or the --files0-from list cannot be used).)help";

} // namespace

unsigned availableCores() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

int parseCommandLine(int argc, char **argv, Options &options) {
    CLI::App app{"Extracts the text of XPS and OpenXPS documents.", "xpstext"};
    app.set_version_flag("--version", std::string("xpstext (fixrd) ") + FIXRD_VERSION);
    app.add_option("FILE", options.inputs, "XPS or OpenXPS files, or folders to search for them; - reads one from standard input");
    app.add_option("--files0-from", options.files0From,
                   "read the names of the inputs, each ended by a NUL, from FILE (- for standard input)")
        ->type_name("FILE");
    app.add_option("-o,--output-dir", options.outputDir, "write each document's text to its own file below DIR")
        ->type_name("DIR");
    app.add_option("-j,--jobs", options.jobs, "read N documents at once (default: the number of cores)")
        ->type_name("N")
        ->check(CLI::Range(1u, 4096u));
    app.add_flag("--jsonl", options.jsonl, "print one JSON object per document on standard output (needs -o)");
    app.add_flag("--raw", options.raw, "write the reader's record stream instead of plain text");
    app.add_flag("--charset", options.charset, "print each document's character set number before its text");
    app.add_flag("-q,--quiet", options.quiet, "no progress line and no summary");
    app.add_flag("--isolate", options.isolate,
                 "read each document in a worker process, so that one that crashes or hangs the reader fails alone");
    app.add_option("--timeout", options.timeoutSeconds, "kill a document's worker after SECONDS (needs --isolate)")
        ->type_name("SECONDS")
        ->check(CLI::PositiveNumber);
    uint64_t maxMemory = 0;
    app.add_option("--max-memory", maxMemory, "the memory one document may take, such as 512M or 2G (default 1G)")
        ->type_name("SIZE")
        ->transform(CLI::AsSizeValue(false));
    app.add_flag("--resume", options.resume,
                 "skip each document whose text below -o is newer than the document (needs -o)");
    app.footer(kFooter);
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

    options.hasFiles0From = app.count("--files0-from") > 0;
    options.maxMemory = static_cast<int64_t>(std::min<uint64_t>(maxMemory, INT64_MAX));
    const char *problem = nullptr;
    if (options.hasFiles0From && !options.inputs.empty())
        problem = "file operands cannot be combined with --files0-from";
    else if (!options.hasFiles0From && options.inputs.empty())
        problem = "no input: name files or folders, or use --files0-from";
    else if (options.jsonl && options.outputDir.empty())
        problem = "--jsonl needs -o DIR: the JSON lines take standard output, so the texts go to files";
    else if (app.count("--output-dir") > 0 && options.outputDir.empty())
        problem = "-o needs a folder name";
    else if (app.count("--timeout") > 0 && !options.isolate)
        problem = "--timeout needs --isolate: only a worker process can be stopped in the middle of a document";
    else if (options.resume && options.outputDir.empty())
        problem = "--resume needs -o DIR: it skips documents whose text is already there";
    else if (app.count("--max-memory") > 0 && options.maxMemory < (int64_t{1} << 20))
        problem = "--max-memory: at least 1M";
    if (problem != nullptr) {
        std::cerr << "xpstext: " << problem << "\nTry 'xpstext --help' for more information.\n";
        return 2;
    }
    if (options.jobs == 0)
        options.jobs = availableCores();
    return -1;
}

} // namespace xpstext
