// Zip files written field by field, for packages no zip library writes:
// duplicate names, entries that share their data, sizes that lie, and data
// deflated elsewhere (streamed, so a part of hundreds of megabytes never sits
// in memory whole).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fixrd::test {

// An entry's bytes as the zip stores them.
struct StoredData {
    std::string bytes;
    uint16_t method = 0;   // 0 stored, 8 deflated
    uint32_t crc = 0;
    uint64_t size = 0;     // uncompressed
};

// `data` as a stored entry.
StoredData stored(std::string_view data);
// Raw deflate of what `produce` returns, called until it returns "".
StoredData deflated(const std::function<std::string()> &produce);

class RawZip {
public:
    // `base`: where the first entry starts in the file, for entries that
    // follow others written separately.
    explicit RawZip(size_t base = 0) : base_(base) {}

    RawZip &add(const std::string &name, std::string_view data) { return add(name, stored(data)); }
    // `declaredSize` (uncompressed) goes into both headers in place of the true one.
    RawZip &add(const std::string &name, const StoredData &data, int64_t declaredSize = -1);
    // A second directory entry, under `name`, for the data of entry `index`.
    RawZip &alias(const std::string &name, size_t index);

    // The local headers and data.
    const std::string &local() const { return local_; }
    // The central directory and its end record, after `more` when given
    // (whose entries follow these in the file).
    std::string directory(const RawZip *more = nullptr) const;
    std::string bytes() const { return local_ + directory(); }

private:
    size_t base_;
    std::string local_;
    std::string central_;
    std::vector<std::string> records_;   // each entry's central record less its name
    uint32_t count_ = 0;
};

} // namespace fixrd::test
