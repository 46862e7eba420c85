#include "Options.h"

#include <getopt.h>
#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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
.txt is added to the name (.rec with --raw): a.xps gives a.xps.txt.  Files are
written under a temporary name (.NAME.xpstext-tmp.XXXXXX) and renamed when
complete.  An input is never overwritten, nor a file written twice in one run.

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
counts as a failed document.  Batch runs end with a summary on standard error,
and show a progress line there when it is a terminal that the texts do not go
to (-q turns both off).

Exit status: 0 when every document was read, 1 when one failed, 2 for usage
errors (and when the -o folder or the --files0-from list cannot be used).)help";

const char *kOptions = R"help(Usage: xpstext [OPTION]... FILE...
  or:  xpstext [OPTION]... --files0-from=F
Extracts the text of XPS and OpenXPS documents.  A FILE may be a folder to
search for them; - reads one document from standard input.

      --files0-from=FILE  read the names of the inputs, each ended by a NUL,
                            from FILE (- for standard input)
  -o, --output-dir=DIR    write each document's text to its own file below DIR
  -j, --jobs=N            read N documents at once, 1 to 4096 (default: the
                            number of cores)
      --jsonl             print one JSON object per document on standard
                            output (needs -o)
      --raw               write the reader's record stream instead of plain
                            text
      --charset           print each document's character set number before
                            its text
  -q, --quiet             no progress line and no summary
      --isolate           read each document in a worker process, so that one
                            that crashes or hangs the reader fails alone
      --timeout=SECONDS   kill a document's worker after SECONDS (needs
                            --isolate)
      --max-memory=SIZE   the memory one document may take, such as 512M or 2G
                            (default 1G)
      --resume            skip each document whose text below -o is newer
                            than the document (needs -o)
  -h, --help              display this help and exit
      --version           output version information and exit

)help";

// Codes of the long forms, apart from the short ones, so that a mistake
// can be told in the form it was made in.
enum : int {
    kFiles0From = 256,
    kOutputDir,
    kJobs,
    kJsonl,
    kRaw,
    kCharset,
    kQuiet,
    kIsolate,
    kTimeout,
    kMaxMemory,
    kResume,
    kHelp,
    kVersion,
};

const option kLongOptions[] = {
    {"files0-from", required_argument, nullptr, kFiles0From},
    {"output-dir", required_argument, nullptr, kOutputDir},
    {"jobs", required_argument, nullptr, kJobs},
    {"jsonl", no_argument, nullptr, kJsonl},
    {"raw", no_argument, nullptr, kRaw},
    {"charset", no_argument, nullptr, kCharset},
    {"quiet", no_argument, nullptr, kQuiet},
    {"isolate", no_argument, nullptr, kIsolate},
    {"timeout", required_argument, nullptr, kTimeout},
    {"max-memory", required_argument, nullptr, kMaxMemory},
    {"resume", no_argument, nullptr, kResume},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

int usageError(const std::string &problem) {
    std::fprintf(stderr, "xpstext: %s\nTry 'xpstext --help' for more information.\n", problem.c_str());
    return 2;
}

// What getopt found wrong (it is told not to say), in the words GNU tools use.
std::string optionProblem(int code, char **argv) {
    if (optopt > 0 && optopt < 256) {
        char letter[2] = {static_cast<char>(optopt), '\0'};
        return std::string(code == ':' ? "option requires an argument -- '" : "invalid option -- '") + letter + "'";
    }
    if (optopt >= 256) {
        std::string name;
        for (const option *o = kLongOptions; o->name != nullptr; ++o)
            name = o->val == optopt ? o->name : name;
        return "option '--" + name + (code == ':' ? "' requires an argument" : "' doesn't allow an argument");
    }
    std::string word = argv[optind - 1];
    word = word.substr(0, word.find('='));
    int matches = 0;
    for (const option *o = kLongOptions; o->name != nullptr; ++o)
        matches += std::strncmp(o->name, word.c_str() + 2, word.size() - 2) == 0;
    return matches > 1 ? "option '" + word + "' is ambiguous" : "unrecognized option '" + word + "'";
}

bool readJobs(const char *text, unsigned &jobs) {
    if (*text < '0' || *text > '9')
        return false;
    errno = 0;
    char *end = nullptr;
    unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > 4096)
        return false;
    jobs = static_cast<unsigned>(value);
    return true;
}

bool readSeconds(const char *text, double &seconds) {
    char *end = nullptr;
    double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(value) || value <= 0)
        return false;
    seconds = value;
    return true;
}

// A whole number of bytes with an optional unit, the letter case free:
// k, kb, ki and kib are all 1024, and so on up to t.
bool readSize(const char *text, uint64_t &bytes) {
    if (*text < '0' || *text > '9')
        return false;
    uint64_t value = 0;
    const char *at = text;
    for (; *at >= '0' && *at <= '9'; ++at) {
        unsigned digit = static_cast<unsigned>(*at - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    while (*at == ' ')
        ++at;
    std::string unit;
    for (; *at != '\0'; ++at)
        unit += static_cast<char>(*at >= 'A' && *at <= 'Z' ? *at - 'A' + 'a' : *at);
    int shift = -1;
    if (unit.empty() || unit == "b")
        shift = 0;
    const char *prefixes = "kmgt";
    if (!unit.empty() && std::strchr(prefixes, unit[0]) != nullptr) {
        std::string rest = unit.substr(1);
        if (rest.empty() || rest == "b" || rest == "i" || rest == "ib")
            shift = 10 * static_cast<int>(std::strchr(prefixes, unit[0]) - prefixes + 1);
    }
    if (shift < 0 || (shift > 0 && value > (UINT64_MAX >> shift)))
        return false;
    bytes = value << shift;
    return true;
}

} // namespace

unsigned availableCores() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

int parseCommandLine(int argc, char **argv, Options &options) {
    uint64_t maxMemory = 0;
    bool sawOutputDir = false, sawTimeout = false, sawMaxMemory = false;
    optind = 0;   // a fresh scan, whatever came before
    opterr = 0;
    int code;
    while ((code = getopt_long(argc, argv, ":o:j:qh", kLongOptions, nullptr)) != -1) {
        const char *value = optarg;
        switch (code) {
        case kFiles0From:
            options.files0From = value;
            options.hasFiles0From = true;
            break;
        case 'o':
        case kOutputDir:
            options.outputDir = value;
            sawOutputDir = true;
            break;
        case 'j':
        case kJobs:
            if (!readJobs(value, options.jobs))
                return usageError(std::string("--jobs: '") + value + "' is not a number from 1 to 4096");
            break;
        case kJsonl:
            options.jsonl = true;
            break;
        case kRaw:
            options.raw = true;
            break;
        case kCharset:
            options.charset = true;
            break;
        case 'q':
        case kQuiet:
            options.quiet = true;
            break;
        case kIsolate:
            options.isolate = true;
            break;
        case kTimeout:
            if (!readSeconds(value, options.timeoutSeconds))
                return usageError(std::string("--timeout: '") + value + "' is not a positive number of seconds");
            sawTimeout = true;
            break;
        case kMaxMemory:
            if (!readSize(value, maxMemory))
                return usageError(std::string("--max-memory: '") + value + "' is not a size such as 512M or 2G");
            sawMaxMemory = true;
            break;
        case kResume:
            options.resume = true;
            break;
        case 'h':
        case kHelp:
            std::fputs(kOptions, stdout);
            std::fputs(kFooter, stdout);
            std::fputc('\n', stdout);
            return 0;
        case kVersion:
            std::printf("xpstext (fixrd) %s\n", FIXRD_VERSION);
            return 0;
        default:
            return usageError(optionProblem(code, argv));
        }
    }
    for (int i = optind; i < argc; ++i)
        options.inputs.emplace_back(argv[i]);

    options.maxMemory = static_cast<int64_t>(std::min<uint64_t>(maxMemory, INT64_MAX));
    const char *problem = nullptr;
    if (options.hasFiles0From && !options.inputs.empty())
        problem = "file operands cannot be combined with --files0-from";
    else if (!options.hasFiles0From && options.inputs.empty())
        problem = "no input: name files or folders, or use --files0-from";
    else if (options.jsonl && options.outputDir.empty())
        problem = "--jsonl needs -o DIR: the JSON lines take standard output, so the texts go to files";
    else if (sawOutputDir && options.outputDir.empty())
        problem = "-o needs a folder name";
    else if (sawTimeout && !options.isolate)
        problem = "--timeout needs --isolate: only a worker process can be stopped in the middle of a document";
    else if (options.resume && options.outputDir.empty())
        problem = "--resume needs -o DIR: it skips documents whose text is already there";
    else if (sawMaxMemory && options.maxMemory < (int64_t{1} << 20))
        problem = "--max-memory: at least 1M";
    if (problem != nullptr)
        return usageError(problem);
    if (options.jobs == 0)
        options.jobs = availableCores();
    return -1;
}

} // namespace xpstext
