// Reading the module's output record stream: text records (type 0: length,
// byte count, UTF-8 bytes) and line break records (type 14), each with a
// little-endian 32-bit length that counts the whole record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fixrd::host {

enum class RecordKind { Text, LineBreak };

struct Record {
    RecordKind kind;
    std::string_view text;   // empty for a line break
};

// Reads records from a stream, one chunk after another.  A chunk always
// holds whole records; anything malformed stops the reading.
class RecordReader {
public:
    explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}
    // False at the end or at a malformed record (then error() says what).
    bool next(Record &record);
    const std::string &error() const { return error_; }

private:
    std::string_view bytes_;
    size_t at_ = 0;
    std::string error_;
};

// The plain text of a record stream: text as it is, a newline per line
// break.  Appends to `text`; false when the stream is malformed.
bool appendPlainText(std::string_view records, std::string &text);

} // namespace fixrd::host
