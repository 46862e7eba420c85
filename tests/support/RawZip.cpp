#include "support/RawZip.h"

#include <zlib.h>

#include <stdexcept>

namespace fixrd::test {

namespace {

void put(std::string &out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
}

} // namespace

StoredData stored(std::string_view data) {
    StoredData out;
    out.bytes = std::string(data);
    out.crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(data.data()), static_cast<uInt>(data.size())));
    out.size = data.size();
    return out;
}

StoredData deflated(const std::function<std::string()> &produce) {
    StoredData out;
    out.method = 8;
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    unsigned char block[1 << 16];
    for (bool last = false; !last;) {
        std::string input = produce();
        last = input.empty();
        out.crc = static_cast<uint32_t>(crc32(out.crc, reinterpret_cast<const Bytef *>(input.data()), static_cast<uInt>(input.size())));
        out.size += input.size();
        stream.next_in = reinterpret_cast<Bytef *>(input.data());
        stream.avail_in = static_cast<uInt>(input.size());
        do {
            stream.next_out = block;
            stream.avail_out = sizeof block;
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            out.bytes.append(reinterpret_cast<char *>(block), sizeof block - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

RawZip &RawZip::add(const std::string &name, const StoredData &data, int64_t declaredSize) {
    uint64_t size = declaredSize >= 0 ? static_cast<uint64_t>(declaredSize) : data.size;
    // Version 20, no flags, the method, 1980-01-01, CRC, both sizes, the name, no extra field.
    std::string fields;
    put(fields, 20, 2), put(fields, 0, 2), put(fields, data.method, 2), put(fields, 0x210000, 4), put(fields, data.crc, 4);
    put(fields, data.bytes.size(), 4), put(fields, size, 4), put(fields, name.size(), 2), put(fields, 0, 2);
    std::string record;
    put(record, 0x02014b50, 4), put(record, 20, 2);
    record += fields;
    put(record, 0, 2), put(record, 0, 2), put(record, 0, 2), put(record, 0, 4), put(record, base_ + local_.size(), 4);
    records_.push_back(record);
    put(local_, 0x04034b50, 4);
    local_ += fields + name + data.bytes;
    central_ += record + name;
    ++count_;
    return *this;
}

RawZip &RawZip::alias(const std::string &name, size_t index) {
    std::string record = records_.at(index);
    std::string length;
    put(length, name.size(), 2);
    record.replace(28, 2, length);   // the name's length
    records_.push_back(record);
    central_ += record + name;
    ++count_;
    return *this;
}

std::string RawZip::directory(const RawZip *more) const {
    std::string out = central_;
    uint32_t count = count_;
    size_t end = base_ + local_.size();
    if (more != nullptr) {
        out += more->central_;
        count += more->count_;
        end = more->base_ + more->local_.size();
    }
    size_t size = out.size();
    put(out, 0x06054b50, 4), put(out, 0, 4), put(out, count, 2), put(out, count, 2), put(out, size, 4), put(out, end, 4);
    put(out, 0, 2);
    return out;
}

} // namespace fixrd::test
