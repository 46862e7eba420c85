// xpstext: prints the text of XPS and OpenXPS documents, one or millions.
#include "BatchRunner.h"
#include "Document.h"
#include "InputList.h"
#include "Interrupt.h"
#include "IsolatedReaders.h"
#include "JsonLines.h"
#include "Options.h"
#include "OutputNames.h"
#include "OutputWriter.h"
#include "Progress.h"
#include "ScratchRemoval.h"

#include "ReaderModule.h"
#include "SpooledInput.h"

#include <ext/stdio_filebuf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

// Fills the list from the operands or the NUL-separated list; false (after
// saying why) when the list cannot be read.
bool gatherInputs(const xpstext::Options &options, xpstext::InputList &inputs) {
    if (!options.hasFiles0From) {
        for (const std::string &operand : options.inputs)
            inputs.addOperand(operand);
        return true;
    }
    // Standard input through a buffer of its own: the standard streams'
    // objects cost every run their start-up, and only this one needs one.
    __gnu_cxx::stdio_filebuf<char> standardInput(stdin, std::ios::in);
    std::istream standardStream(&standardInput);
    std::ifstream file;
    std::istream *in = &standardStream;
    if (options.files0From != "-") {
        file.open(options.files0From, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "xpstext: cannot read the list %s: %s\n", options.files0From.c_str(),
                         std::strerror(errno));
            return false;
        }
        in = &file;
    }
    inputs.addNulSeparated(*in, options.files0From);
    if (in->bad()) {
        std::fprintf(stderr, "xpstext: the list %s could not be read to its end\n", options.files0From.c_str());
        return false;
    }
    return true;
}

bool prepareOutputFolder(const std::string &folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error && !std::filesystem::is_directory(folder, error))
        error = std::make_error_code(std::errc::not_a_directory);
    if (error) {
        std::fprintf(stderr, "xpstext: -o %s: %s\n", folder.c_str(), error.message().c_str());
        return false;
    }
    return true;
}

mode_t newFileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes to standard output; the errno of a failure is kept for the caller.
// write(2) rather than stdio, which carries on after a write that a signal
// cut short: a reader that does not read would then hold off SIGTERM.
bool writeOut(const std::string &bytes) {
    for (size_t at = 0; at < bytes.size();) {
        if (xpstext::pendingSignal() != 0)
            return false;
        ssize_t n = ::write(STDOUT_FILENO, bytes.data() + at, bytes.size() - at);
        if (n < 0 && errno != EINTR)
            return false;
        at += n > 0 ? static_cast<size_t>(n) : 0;
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    xpstext::Options options;
    int exitStatus = xpstext::parseCommandLine(argc, argv, options);
    if (exitStatus >= 0)
        return exitStatus;

    xpstext::InputList inputs;
    if (!gatherInputs(options, inputs))
        return 2;
    std::vector<xpstext::InputItem> &items = inputs.items();
    bool batch = options.hasFiles0From || !options.outputDir.empty() || items.size() > 1 || inputs.sawFolder();

    std::unique_ptr<xpstext::OutputWriter> writer;
    if (!options.outputDir.empty()) {
        if (!prepareOutputFolder(options.outputDir))
            return 2;
        xpstext::assignOutputs(items, options.outputDir, options.raw ? ".rec" : ".txt");
        if (options.resume)
            xpstext::markUpToDate(items);
        writer = std::make_unique<xpstext::OutputWriter>(inputs, newFileMode());
    }

    xpstext::installInterruptHandlers();
    xpstext::ScratchFolder scratch;
    std::string error;
    auto module = fixrd::ReaderModule::load("", error);
    if (!module) {
        std::fprintf(stderr, "xpstext: cannot load the reader module: %s\n", error.c_str());
        return 1;
    }
    if (options.isolate && ::access(fixrd::workerProgramOf(*module).c_str(), X_OK) != 0) {
        std::fprintf(stderr, "xpstext: --isolate: cannot run %s: %s\n", fixrd::workerProgramOf(*module).c_str(),
                     std::strerror(errno));
        return 1;
    }
    // Standard input is read once, into a private copy that every "-" reads:
    // the container reader needs a file.  Ctrl-C stops a terminal's input.
    fixrd::host::SpooledInput standardInput;
    standardInput.placeCopiesIn([&scratch] { return scratch.path(); });
    for (xpstext::InputItem &item : items) {
        if (!item.standardInput || item.problem != 0)
            continue;
        if (standardInput.path().empty() &&
            !standardInput.fromDescriptor(STDIN_FILENO, error, [] { return xpstext::pendingSignal() != 0; })) {
            if (int signal = xpstext::pendingSignal()) {
                scratch.removeAll();
                xpstext::dieOf(signal);
            }
            item.problem = 12;
            item.message = error;
            continue;
        }
        item.source = standardInput.path();
    }

    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    // Texts going to the same terminal would be torn by a line redrawn in place.
    bool textsOnTerminal = !writer && ::isatty(STDOUT_FILENO) == 1;
    xpstext::Progress progress(stderr, batch && !options.quiet && !textsOnTerminal, items.size());
    xpstext::Rendering rendering{options.raw, options.charset};
    size_t done = 0, failed = 0, skipped = 0;
    bool outputFailed = false;
    std::unique_ptr<xpstext::IsolatedReaders> isolated;
    if (options.isolate) {
        isolated = std::make_unique<xpstext::IsolatedReaders>(
            *module, options.jobs, fixrd::host::temporaryFolder([&scratch] { return scratch.path(); }),
            options.timeoutSeconds, options.maxMemory);
    }

    // Nothing half made survives an interruption: temporary outputs and the
    // hosts' scratch files go before the process dies.
    auto dieOf = [&](int signal) {
        if (writer)
            writer->abandon();
        scratch.removeAll();
        progress.finish();
        xpstext::dieOf(signal);
    };
    // One document to standard output is written as it is read: its text is
    // then never held whole.  A batch keeps each text until its turn.
    bool streaming = !batch && !writer && !options.jsonl && !isolated;
    xpstext::StandardOutput standardOutput = writeOut;
    auto read = [&](size_t index, unsigned slot, fixrd::Extractor &extractor) {
        const xpstext::InputItem &item = items[index];
        if (item.upToDate)
            return xpstext::skippedOutcome(item);
        if (!isolated) {
            extractor.host().files().placeTemporariesIn([&scratch] { return scratch.path(); });
            if (options.maxMemory > 0)
                extractor.host().memory().setLimits(fixrd::host::MemoryAccount::kDefaultLargestBlock, options.maxMemory);
            return xpstext::readDocument(item, extractor, rendering, writer.get(), streaming ? &standardOutput : nullptr);
        }
        xpstext::Outcome outcome = isolated->read(slot, item, rendering);
        if (writer && outcome.status == 0 && item.problem == 0)
            xpstext::writeOutcome(*writer, item, outcome);
        return outcome;
    };
    auto work = [&](size_t index, unsigned slot, fixrd::Extractor &extractor) {
        xpstext::leaveSignalsToTheMainThread();
        return read(index, slot, extractor);
    };
    auto deliver = [&](size_t index, xpstext::Outcome &outcome) {
        // A document the signal cut short is not reported as a failure.
        if (int signal = xpstext::pendingSignal())
            dieOf(signal);
        const xpstext::InputItem &item = items[index];
        ++done;
        skipped += outcome.skipped ? 1 : 0;
        if (outcome.status != 0) {
            ++failed;
            progress.printLine("xpstext: " + item.path + ": " + outcome.message + " (status " +
                               std::to_string(outcome.status) + ")");
        }
        bool written = true;
        if (options.jsonl)
            written = writeOut(xpstext::jsonLine(item, outcome));
        else if (outcome.streamed.any) {
            written = !outcome.streamed.failed;
            errno = outcome.streamed.error;
        }
        else if (!writer && outcome.status == 0)
            written = writeOut(outcome.content);
        if (!written) {
            if (int signal = xpstext::pendingSignal())   // the write was interrupted
                dieOf(signal);
            if (errno == EPIPE)
                dieOf(SIGPIPE);
            progress.printLine(std::string("xpstext: standard output: ") + std::strerror(errno));
            outputFailed = true;
            return false;
        }
        return true;
    };
    auto tick = [&] {
        if (int signal = xpstext::pendingSignal())
            dieOf(signal);
        progress.update(done, failed);
        return true;
    };

    size_t window = writer ? 256 * size_t(options.jobs) : 4 * size_t(options.jobs);
    if (streaming && items.size() == 1) {
        // One document to standard output is read on this thread: a worker
        // thread's start and its move to the other core cost a small
        // document several per cent.  No thread is then left to watch for
        // signals, but nothing is left to tidy either (the handler removes
        // the scratch folder), so a signal ends the run at once.
        fixrd::Extractor extractor(*module);
        xpstext::dieAtOnceOnSignal(true);
        if (int signal = xpstext::pendingSignal())
            dieOf(signal);
        xpstext::Outcome outcome = read(0, 0, extractor);
        xpstext::dieAtOnceOnSignal(false);
        if (deliver(0, outcome))
            tick();
    } else {
        xpstext::BatchRunner runner(*module, options.jobs, window);
        runner.run(items.size(), work, deliver, tick);
    }
    progress.finish();
    if (batch && !options.quiet)
        std::fprintf(stderr, "%s\n",
                     xpstext::summaryLine(done, failed, progress.elapsedSeconds(), options.resume ? &skipped : nullptr)
                         .c_str());
    return failed > 0 || outputFailed ? 1 : 0;
}
