// What a font part's own file name says about how it is stored.
#pragma once

#include <string>

namespace fixrd {

// The last path component of a FontUri, split at its last ".".
struct FontNameParts {
    std::string stem;
    std::string extension;   // with its "."; empty when there is none
};

// Backslashes count as path separators; only the last component matters.
FontNameParts fontNameParts(const std::string &fontUri);

// Only the all-lower and all-upper spellings of ".odttf" mark an obfuscated
// font; mixed case does not.
bool isObfuscatedFontName(const FontNameParts &name);

} // namespace fixrd
