// Times xpstext against another text extractor, document by document, and
// puts both beside the floor of inflating and parsing the same markup:
// pages per second, decompressed page markup per second, peak memory.
//
// Usage: bench-run --xpstext PATH --floor PATH [--mutool PATH] [--corpus DIR] [--repeat N] FILE...
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <set>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Timing {
    double seconds = 1e30;   // the best of the runs
    double peakMiB = 0;      // the largest resident set of the runs
    int exitStatus = 0;      // of the last run; -1 when it did not exit
    bool ran() const { return seconds < 1e29; }
    void merge(const Timing &run) {
        seconds = std::min(seconds, run.seconds);
        peakMiB = std::max(peakMiB, run.peakMiB);
        exitStatus = run.exitStatus;
    }
};

// Runs shorter than this are timed kShortRunRepeat times at least.
constexpr double kShortRun = 0.1;
constexpr int kShortRunRepeat = 15;

// Runs argv with its output thrown away, `repeat` times.
Timing time(const std::vector<std::string> &argv, int repeat) {
    Timing timing;
    for (int r = 0; r < repeat; ++r) {
        auto started = std::chrono::steady_clock::now();
        pid_t child = fork();
        if (child == 0) {
            int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            std::vector<char *> args;
            for (const std::string &arg : argv)
                args.push_back(const_cast<char *>(arg.c_str()));
            args.push_back(nullptr);
            execvp(args[0], args.data());
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        if (child < 0 || wait4(child, &status, 0, &usage) < 0)
            return timing;
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        timing.seconds = std::min(timing.seconds, seconds);
        timing.peakMiB = std::max(timing.peakMiB, usage.ru_maxrss / 1024.0);
        timing.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return timing;
}

struct Markup {
    long pages = 0;
    double mb = 0;          // decompressed page markup, in MB of 10^6 bytes
    double seconds = -1;    // best inflate and Expat parse
};

Markup measureMarkup(const std::string &floor, const std::string &document, bool inflateAll) {
    Markup markup;
    std::string command = "'" + floor + "' --repeat 5 " + (inflateAll ? "--inflate-all '" : "'") + document + "'";
    FILE *out = popen(command.c_str(), "r");
    if (out == nullptr)
        return markup;
    char name[4096];
    unsigned long long bytes = 0;
    if (std::fscanf(out, "%4095[^\t]\t%ld\t%llu\t%lf", name, &markup.pages, &bytes, &markup.seconds) != 4)
        markup.seconds = -1;
    pclose(out);
    markup.mb = bytes / 1e6;
    return markup;
}

std::string rate(double amount, double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds > 0 ? amount / seconds : 0.0);
    return text;
}

std::string number(const char *format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

struct Totals {
    long pages = 0;
    double mb = 0, xpstext = 0, other = 0, floor = 0, xpstextPeak = 0, otherPeak = 0;
    int documents = 0;
};

} // namespace

int main(int argc, char **argv) {
    std::string xpstext, floor, mutool, corpus;
    int repeat = 3;
    std::vector<std::string> documents;
    std::set<std::string> inflateFloor;   // documents whose floor is inflating every part
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--xpstext" && hasValue)
            xpstext = argv[++i];
        else if (arg == "--floor" && hasValue)
            floor = argv[++i];
        else if (arg == "--mutool" && hasValue)
            mutool = argv[++i];
        else if (arg == "--corpus" && hasValue)
            corpus = argv[++i];
        else if (arg == "--repeat" && hasValue)
            repeat = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--inflate-floor" && hasValue)
            inflateFloor.insert(argv[++i]), documents.push_back(argv[i]);
        else
            documents.push_back(arg);
    }
    if (xpstext.empty() || floor.empty()) {
        std::fprintf(stderr, "usage: bench-run --xpstext PATH --floor PATH [--mutool PATH] [--corpus DIR] "
                             "[--repeat N] [--inflate-floor FILE]... FILE...\n");
        return 2;
    }
    size_t ownDocuments = documents.size();
    std::vector<std::string> corpusDocuments;
    if (!corpus.empty() && fs::is_directory(corpus)) {
        for (const auto &entry : fs::directory_iterator(corpus)) {
            std::string ext = entry.path().extension().string();
            if (ext == ".xps" || ext == ".oxps")
                corpusDocuments.push_back(entry.path().string());
        }
        std::sort(corpusDocuments.begin(), corpusDocuments.end());
        documents.insert(documents.end(), corpusDocuments.begin(), corpusDocuments.end());
    } else if (!corpus.empty()) {
        std::printf("(no corpus at %s: only the generated document is timed)\n\n", corpus.c_str());
    }
    const std::string other = mutool.empty() ? "" : "mutool draw -F txt";
    std::printf("Best of %d runs each, taken in turn (of %d for runs under %.1f s); MB are megabytes (10^6 bytes) of "
                "decompressed FixedPage markup.\n"
                "Ratio: the other program's time over xpstext's (above 1: xpstext is faster).\n\n",
                repeat, kShortRunRepeat, kShortRun);
    std::printf("| document | pages | markup MB | xpstext s | pages/s | MB/s | peak MiB | %s s | pages/s | MB/s | "
                "peak MiB | ratio | floor MB/s | xpstext / floor |\n",
                other.empty() ? "(none)" : other.c_str());
    std::printf("|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|\n");

    Totals corpusTotals;
    for (size_t d = 0; d < documents.size(); ++d) {
        const std::string &document = documents[d];
        Markup markup = measureMarkup(floor, document, inflateFloor.count(document) != 0);
        // The two in turn, so that the machine's drift falls on both; a short
        // run, mostly start-up, is noisier, so it is run more often.
        const std::vector<std::string> oursArgs{xpstext, "-q", document};
        const std::vector<std::string> theirsArgs{mutool, "draw", "-q", "-F", "txt", "-o", "/dev/null", document};
        Timing ours = time(oursArgs, 1), theirs;
        int rounds = ours.seconds < kShortRun ? std::max(repeat, kShortRunRepeat) : repeat;
        for (int round = 0; round < rounds; ++round) {
            if (!mutool.empty())
                theirs.merge(time(theirsArgs, 1));
            if (round + 1 < rounds)
                ours.merge(time(oursArgs, 1));
        }
        std::string name = fs::path(document).filename().string();
        if (inflateFloor.count(document) != 0)
            name += " (MB and floor: every part inflated)";
        if (ours.exitStatus != 0)
            name += " (xpstext: exit " + std::to_string(ours.exitStatus) + ")";
        if (!mutool.empty() && theirs.exitStatus != 0)
            name += " (mutool: exit " + std::to_string(theirs.exitStatus) + ")";
        std::printf("| %s | %ld | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", name.c_str(),
                    markup.pages, number("%.2f", markup.mb).c_str(), number("%.3f", ours.seconds).c_str(),
                    rate(markup.pages, ours.seconds).c_str(), rate(markup.mb, ours.seconds).c_str(),
                    number("%.1f", ours.peakMiB).c_str(),
                    theirs.ran() ? number("%.3f", theirs.seconds).c_str() : "-",
                    theirs.ran() ? rate(markup.pages, theirs.seconds).c_str() : "-",
                    theirs.ran() ? rate(markup.mb, theirs.seconds).c_str() : "-",
                    theirs.ran() ? number("%.1f", theirs.peakMiB).c_str() : "-",
                    theirs.ran() ? number("%.2f", theirs.seconds / ours.seconds).c_str() : "-",
                    markup.seconds > 0 && markup.mb > 0 ? rate(markup.mb, markup.seconds).c_str() : "-",
                    markup.seconds > 0 ? number("%.2f", ours.seconds / markup.seconds).c_str() : "-");
        std::fflush(stdout);
        bool bothRead = ours.exitStatus == 0 && theirs.ran() && theirs.exitStatus == 0 && markup.seconds > 0;
        if (d >= ownDocuments && bothRead) {
            corpusTotals.documents++;
            corpusTotals.pages += markup.pages;
            corpusTotals.mb += markup.mb;
            corpusTotals.xpstext += ours.seconds;
            corpusTotals.other += theirs.seconds;
            corpusTotals.floor += markup.seconds;
            corpusTotals.xpstextPeak = std::max(corpusTotals.xpstextPeak, ours.peakMiB);
            corpusTotals.otherPeak = std::max(corpusTotals.otherPeak, theirs.peakMiB);
        }
    }
    if (corpusTotals.documents > 0) {
        const Totals &t = corpusTotals;
        std::printf("| **corpus, %d documents both read** | %ld | %.2f | %.3f | %s | %s | %.1f | %.3f | %s | %s | %.1f | "
                    "%.2f | %s | %.2f |\n",
                    t.documents, t.pages, t.mb, t.xpstext, rate(t.pages, t.xpstext).c_str(),
                    rate(t.mb, t.xpstext).c_str(), t.xpstextPeak, t.other, rate(t.pages, t.other).c_str(),
                    rate(t.mb, t.other).c_str(), t.otherPeak, t.other / t.xpstext, rate(t.mb, t.floor).c_str(),
                    t.floor > 0 ? t.xpstext / t.floor : 0.0);
    }
    if (!corpusDocuments.empty()) {
        // One process for the whole corpus: what a batch saves over a process per document.
        std::string out = (fs::temp_directory_path() / ("bench-run-" + std::to_string(getpid()))).string();
        std::printf("\nThe whole corpus (%zu files) in one xpstext run, texts to -o:\n", corpusDocuments.size());
        unsigned cores = std::max(1u, static_cast<unsigned>(sysconf(_SC_NPROCESSORS_ONLN)));
        for (unsigned jobs : {1u, cores}) {
            Timing batch = time({xpstext, "-q", "-j", std::to_string(jobs), "-o", out, corpus}, repeat);
            std::printf("  -j %u: %.3f s, peak %.1f MiB, exit %d\n", jobs, batch.seconds, batch.peakMiB,
                        batch.exitStatus);
            if (jobs == cores)
                break;
        }
        fs::remove_all(out);
    }
    return 0;
}
