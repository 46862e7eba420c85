// Stepping through UTF-8 text one character at a time.
#pragma once

#include <cstddef>

namespace fixrd {

// The length of the character that starts with `first`, from that byte
// alone.  Throws std::runtime_error "Invalid UTF-8 character detected" for a
// byte that starts no character of one to four bytes.
size_t utf8CharLength(unsigned char first);

} // namespace fixrd
