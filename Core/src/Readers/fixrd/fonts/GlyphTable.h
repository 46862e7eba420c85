// The metrics of the characters of one font, by code.  Looked up once per
// character of every run, so it is open addressing in a power-of-two table:
// a multiplication and a probe or two, where a node map takes a division
// and a pointer chase.
#pragma once

#include "fonts/GlyphMetrics.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fixrd {

class GlyphTable {
public:
    // The metrics of code, or null when the table has none.
    const GlyphMetrics *find(uint32_t code) const {
        if (slots_.empty() || code == kFree)
            return nullptr;
        for (size_t at = home(code);; at = (at + 1) & mask()) {
            if (slots_[at].code == code)
                return &slots_[at].metrics;
            if (slots_[at].code == kFree)
                return nullptr;
        }
    }
    // Enters code with metrics; a code already there keeps what it has.
    void emplace(uint32_t code, const GlyphMetrics &metrics) {
        if (find(code) == nullptr && code != kFree)
            slotFor(code).metrics = metrics;
    }
    // The metrics of code, entered as zeros when the table has none.
    GlyphMetrics &operator[](uint32_t code) {
        if (const GlyphMetrics *found = find(code))
            return const_cast<GlyphMetrics &>(*found);
        return slotFor(code).metrics;
    }
    size_t size() const { return size_; }

private:
    // No character converts to it; it marks a free slot.
    static constexpr uint32_t kFree = 0xFFFFFFFF;
    struct Slot {
        uint32_t code = kFree;
        GlyphMetrics metrics;
    };

    size_t mask() const { return slots_.size() - 1; }
    // Fibonacci hashing: the high bits of the product, which every bit of
    // the code reaches.
    size_t home(uint32_t code) const { return static_cast<size_t>((code * 0x9E3779B97F4A7C15ull) >> shift_); }

    // A free slot taken for code, which is not in the table; at most half
    // the slots are ever used.
    Slot &slotFor(uint32_t code) {
        if ((size_ + 1) * 2 > slots_.size()) {
            std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
            old.swap(slots_);
            shift_ = 64;
            for (size_t n = slots_.size(); n > 1; n >>= 1)
                --shift_;
            for (const Slot &slot : old)
                if (slot.code != kFree)
                    place(slot.code) = slot;
        }
        ++size_;
        Slot &slot = place(code);
        slot.code = code;
        slot.metrics = GlyphMetrics{};
        return slot;
    }
    Slot &place(uint32_t code) {
        size_t at = home(code);
        while (slots_[at].code != kFree)
            at = (at + 1) & mask();
        return slots_[at];
    }

    std::vector<Slot> slots_;
    size_t size_ = 0;
    unsigned shift_ = 64;
};

} // namespace fixrd
