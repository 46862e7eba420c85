// What a status of the reader (or of the container companion, passed through
// the reader) means, in words for people.
#pragma once

#include <cstdint>
#include <string>

namespace fixrd {

enum class Stage { Start, Open, Read };

// Statuses of the host's own, clear of the reader's (0 to 15), the container
// reader's (100 and up) and the command's (200 to 203): a worker process
// that died with its document or was killed after the time limit, and an
// extraction that a caller's chunk callback ended.
constexpr uint32_t kStatusCrashed = 204;
constexpr uint32_t kStatusTimedOut = 205;
constexpr uint32_t kStatusStopped = 206;

// For example "page markup could not be read".
std::string describeStatus(uint32_t status, Stage stage);
// The same text, which lives as long as the program.
const char *statusText(uint32_t status, Stage stage);

} // namespace fixrd
