#include "WorkerProtocol.h"

#include "WholeTransfers.h"

#include <unistd.h>

#include <cerrno>

namespace fixrd {

namespace {

using host::readAll;
using host::writeAll;

// A record stream may be large, but not past what one document may give.
constexpr uint64_t kLongestField = uint64_t{8} << 30;

template <class T> void put(std::string &out, T value) { out.append(reinterpret_cast<const char *>(&value), sizeof value); }

void putText(std::string &out, const std::string &text) {
    put<uint64_t>(out, text.size());
    out += text;
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
    put<int64_t>(bytes, request.memoryBudget);
    return writeAll(fd, bytes.data(), bytes.size());
}

bool receiveRequest(int fd, WorkRequest &request) {
    return getText(fd, request.path) && get(fd, request.memoryBudget);
}

bool sendReply(int fd, const Extraction &extraction) {
    std::string head;
    put<uint32_t>(head, extraction.status);
    put<uint8_t>(head, static_cast<uint8_t>(extraction.stage));
    put<uint32_t>(head, extraction.charset);
    put<uint32_t>(head, extraction.chunks);
    putText(head, extraction.message);
    put<uint64_t>(head, extraction.records.size());
    // The records go as they are, not copied behind the head.
    return writeAll(fd, head.data(), head.size()) &&
           writeAll(fd, extraction.records.data(), extraction.records.size());
}

bool receiveReply(int fd, Extraction &extraction) {
    uint8_t stage = 0;
    if (!get(fd, extraction.status) || !get(fd, stage) || !get(fd, extraction.charset) || !get(fd, extraction.chunks) ||
        !getText(fd, extraction.message) || !getText(fd, extraction.records) || stage > uint8_t(Stage::Read))
        return false;
    extraction.stage = static_cast<Stage>(stage);
    return true;
}

} // namespace fixrd
