// The entry code of the fuzz targets.  The targets and the test that replays
// every input that ever broke one of them both go through here, so a
// regression runs exactly the code that found it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fixrd::fuzz {

enum class Target {
    Package,      // the bytes are the package file
    Page,         // the bytes are the one FixedPage of a package with an obfuscated DejaVu font
    Font,         // the bytes are a font, embedded plain and obfuscated, used by a fixed page
    Attributes,   // the bytes are an Indices value and a matrix value
};

// Loads the reader module and pins its companions; call once before run().
void prepare();

// Runs one input.  What broke (a leak, a left temporary file, a malformed
// record stream...), empty when nothing did.
std::string run(Target target, const uint8_t *data, size_t size);

// "package", "page", "font", "attributes"; false for another name.
bool targetNamed(const std::string &name, Target &target);

} // namespace fixrd::fuzz
