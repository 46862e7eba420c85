#include "Progress.h"

#include <unistd.h>

namespace xpstext {

namespace {

std::string rate(size_t documents, double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f documents/s", seconds > 0 ? documents / seconds : 0.0);
    return text;
}

} // namespace

Progress::Progress(std::FILE *stream, bool enabled, size_t total)
    : stream_(stream), shown_(enabled && ::isatty(::fileno(stream)) == 1), total_(total),
      started_(std::chrono::steady_clock::now()), lastDrawn_(started_) {}

double Progress::elapsedSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
}

void Progress::update(size_t done, size_t failed) {
    if (!shown_)
        return;
    auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDrawn_ < std::chrono::milliseconds(200))
        return;
    lastDrawn_ = now;
    std::fprintf(stream_, "\r\033[Kxpstext: %zu of %zu documents, %zu failed, %s", done, total_, failed,
                 rate(done, elapsedSeconds()).c_str());
    std::fflush(stream_);
    drawn_ = true;
}

void Progress::clear() {
    if (drawn_) {
        std::fputs("\r\033[K", stream_);
        drawn_ = false;
    }
}

void Progress::printLine(const std::string &line) {
    clear();
    std::fputs(line.c_str(), stream_);
    std::fputc('\n', stream_);
    std::fflush(stream_);
}

void Progress::finish() {
    clear();
    std::fflush(stream_);
    shown_ = false;
}

std::string summaryLine(size_t documents, size_t failed, double seconds, const size_t *skipped) {
    char text[160], skips[48] = "";
    if (skipped != nullptr)
        std::snprintf(skips, sizeof skips, ", %zu skipped", *skipped);
    std::snprintf(text, sizeof text, "xpstext: %zu document%s, %zu failed%s, %.2f s (", documents,
                  documents == 1 ? "" : "s", failed, skips, seconds);
    return text + rate(documents, seconds) + ")";
}

} // namespace xpstext
