// What a status of the reader (or of the container companion, passed through
// the reader) means, in words for people.
#pragma once

#include <cstdint>
#include <string>

namespace fixrd {

enum class Stage { Start, Open, Read };

// For example "page markup could not be read".
std::string describeStatus(uint32_t status, Stage stage);

} // namespace fixrd
