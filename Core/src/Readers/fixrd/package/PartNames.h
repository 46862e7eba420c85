// How references in the markup become the names parts are looked up by.
// Names are compared byte for byte; the only change ever made to a reference
// is dropping one leading "/", since zip item names carry none.
#pragma once

#include <string>
#include <utility>

namespace fixrd {

// The reference without its first character when that is "/".
const char *withoutLeadingSlash(const char *reference);

// The text after the last "/" once every backslash counts as "/".
std::string lastPathComponent(const std::string &path);

// (stem, extension) split at the last "."; a name whose only "." is its first
// character has no extension.
std::pair<std::string, std::string> splitExtension(const std::string &fileName);

// A relative reference made in the part `base`, resolved as a path: the
// reference is taken from base's folder, "." and ".." segments are applied
// (".." never climbs above the package root).  A reference with a leading
// "/" is taken from the root.
std::string resolveReference(const std::string &base, const std::string &reference);

// Copies at most 1023 bytes of value into a 1024-byte buffer.
void copyCut1023(char (&buffer)[1024], const char *value);

} // namespace fixrd
