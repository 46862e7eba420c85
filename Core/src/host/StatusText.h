// What a status of the reader (or of the container companion, passed through
// the reader) means, in words for people.
#pragma once

#include <cstdint>
#include <string>

namespace fixrd {

enum class Stage { Start, Open, Read };

// An extraction that a caller's chunk callback ended; clear of the reader's
// statuses (0 to 15), the container reader's (100 and up) and the command's
// (200 and up).
constexpr uint32_t kStatusStopped = 206;

// For example "page markup could not be read".
std::string describeStatus(uint32_t status, Stage stage);
// The same text, which lives as long as the program.
const char *statusText(uint32_t status, Stage stage);

} // namespace fixrd
