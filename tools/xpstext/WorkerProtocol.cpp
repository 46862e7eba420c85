#include "WorkerProtocol.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace xpstext {

namespace {

// A reply's text may be large, but not past what one document may give.
constexpr uint64_t kLongestField = uint64_t{8} << 30;

bool writeAll(int fd, const void *data, size_t size) {
    const char *at = static_cast<const char *>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, at, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool readAll(int fd, void *data, size_t size) {
    char *at = static_cast<char *>(data);
    while (size > 0) {
        ssize_t n = ::read(fd, at, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

template <class T> bool put(std::string &out, T value) {
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
    return true;
}

bool putText(std::string &out, const std::string &text) {
    put<uint64_t>(out, text.size());
    out += text;
    return true;
}

template <class T> bool get(int fd, T &value) { return readAll(fd, &value, sizeof value); }

bool getText(int fd, std::string &text) {
    uint64_t size = 0;
    if (!get(fd, size) || size > kLongestField)
        return false;
    text.resize(static_cast<size_t>(size));
    return readAll(fd, text.data(), text.size());
}

} // namespace

bool sendRequest(int fd, const WorkRequest &request) {
    std::string bytes;
    putText(bytes, request.path);
    put<uint8_t>(bytes, request.rendering.raw);
    put<uint8_t>(bytes, request.rendering.charset);
    put<int64_t>(bytes, request.memoryBudget);
    return writeAll(fd, bytes.data(), bytes.size());
}

bool receiveRequest(int fd, WorkRequest &request) {
    uint8_t raw = 0, charset = 0;
    if (!getText(fd, request.path) || !get(fd, raw) || !get(fd, charset) || !get(fd, request.memoryBudget))
        return false;
    request.rendering.raw = raw != 0;
    request.rendering.charset = charset != 0;
    return true;
}

bool sendReply(int fd, const Outcome &outcome) {
    std::string head;
    put<uint32_t>(head, outcome.status);
    put<uint64_t>(head, outcome.bytes);
    put<double>(head, outcome.seconds);
    putText(head, outcome.message);
    put<uint64_t>(head, outcome.content.size());
    // The text goes as it is, not copied behind the head.
    return writeAll(fd, head.data(), head.size()) && writeAll(fd, outcome.content.data(), outcome.content.size());
}

bool receiveReply(int fd, Outcome &outcome) {
    return get(fd, outcome.status) && get(fd, outcome.bytes) && get(fd, outcome.seconds) &&
           getText(fd, outcome.message) && getText(fd, outcome.content);
}

} // namespace xpstext
