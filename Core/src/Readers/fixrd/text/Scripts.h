// What the gap test needs to know of the characters on either side of a gap:
// whether their script writes words without spaces between them, and what
// counts as white space at the edge of a run.
#pragma once

#include <cstdint>
#include <string>

namespace fixrd {

// Han, kana, CJK symbols and punctuation, full-width forms other than the
// full-width digits and Latin letters, Thai, Lao, Khmer, Myanmar: a stretch
// between two of them is layout (a full-width grid, justification), and only
// a gap of a whole em separates words.
bool writesWithoutSpaces(uint32_t c);

// Arabic letters, presentation forms included: inside a run the advances of
// a justified word stretch (kashida) and never mark a word gap.
bool isArabic(uint32_t c);

bool isWhiteSpace(uint32_t c);

// The first and the last code point of UTF-8 text; 0 for empty text or a
// byte that starts no character.
uint32_t firstCodePoint(const std::string &text);
uint32_t lastCodePoint(const std::string &text);

// The code point of the UTF-8 character at bytes[0, length); 0 when malformed.
uint32_t decodeUtf8(const char *bytes, size_t length);

} // namespace fixrd
