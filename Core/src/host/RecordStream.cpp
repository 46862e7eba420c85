#include "RecordStream.h"

namespace fixrd::host {

namespace {

uint32_t uint32At(std::string_view bytes, size_t at) {
    auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

} // namespace

bool RecordReader::next(Record &record) {
    if (at_ >= bytes_.size())
        return false;
    size_t left = bytes_.size() - at_;
    if (left < 5) {
        error_ = "record header cut off";
        return false;
    }
    auto type = static_cast<unsigned char>(bytes_[at_]);
    uint32_t length = uint32At(bytes_, at_ + 1);
    if (length > left) {
        error_ = "record longer than the stream";
        return false;
    }
    if (type == 14 && length == 5) {
        record = {RecordKind::LineBreak, {}};
    } else if (type == 0 && length >= 9 && uint32At(bytes_, at_ + 5) == length - 9) {
        record = {RecordKind::Text, bytes_.substr(at_ + 9, length - 9)};
    } else {
        error_ = "unknown record of type " + std::to_string(type);
        return false;
    }
    at_ += length;
    return true;
}

bool appendPlainText(std::string_view records, std::string &text) {
    RecordReader reader(records);
    Record record;
    while (reader.next(record)) {
        if (record.kind == RecordKind::LineBreak)
            text += '\n';
        else
            text.append(record.text);
    }
    return reader.error().empty();
}

} // namespace fixrd::host
