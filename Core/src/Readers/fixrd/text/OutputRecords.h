// The two record writers.  Every record is a type byte and a little-endian
// 32-bit length counting the whole record; a text record adds a 32-bit byte
// count and the UTF-8 bytes.  Records never straddle chunks.
#pragma once

#include <cstddef>
#include <cstdint>

struct DocContext;

namespace fixrd {

enum class OutputRecordType : uint8_t { Text = 0, LineBreak = 14 };

constexpr size_t kTextRecordHeader = 9;
constexpr size_t kLineBreakRecordSize = 5;
constexpr size_t kMaxTextRecordBytes = 1023;

// Writes a text record of `length` bytes (1 to 1023).  0, or 2 when no chunk
// room could be had; then nothing is written.
int32_t writeTextRecord(DocContext *context, const char *text, size_t length);

// Writes the five bytes 0E 05 00 00 00.  0 or 2 as above.
int32_t writeLineBreakRecord(DocContext *context);

// The text record of the one byte 0x20.
int32_t writeSpaceRecord(DocContext *context);

} // namespace fixrd
