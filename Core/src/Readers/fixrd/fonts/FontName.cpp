#include "fonts/FontName.h"

#include "package/PartNames.h"

namespace fixrd {

FontNameParts fontNameParts(const std::string &fontUri) {
    auto [stem, extension] = splitExtension(lastPathComponent(fontUri));
    return {std::move(stem), std::move(extension)};
}

bool isObfuscatedFontName(const FontNameParts &name) {
    return name.extension == ".odttf" || name.extension == ".ODTTF";
}

} // namespace fixrd
