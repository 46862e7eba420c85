#include "page/GlyphsAttributes.h"

#include "fonts/FontCache.h"
#include "frame/DocContext.h"
#include "page/IndicesReading.h"
#include "page/MatrixReading.h"
#include "page/NumberReading.h"
#include "page/ResourceDictionaries.h"
#include "page/TransformStack.h"
#include "support/except/ReaderErrors.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace fixrd {

namespace {

constexpr double kUnitsPerEmOfUnloadableFont = 2048.0;

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

struct PresentAttributes {
    bool originX = false;
    bool originY = false;
    bool emSize = false;
};

void checkComplete(const GlyphRun &run, const PresentAttributes &present) {
    if ((run.unicodeString.empty() || run.unicodeString == "{}") && run.indices.empty())
        throw XPSConformanceError("Glyphs element has empty UnicodeString attribute and no valid Indices attribute");
    if (run.fontUri.empty())
        throw XPSConformanceError("Missing required FontUri attribute in Glyphs element");
    if (!present.emSize)
        throw XPSConformanceError("Missing required FontRenderingEmSize attribute in Glyphs element");
    if (!present.originX)
        throw XPSConformanceError("Missing required OriginX attribute in Glyphs element");
    if (!present.originY)
        throw XPSConformanceError("Missing required OriginY attribute in Glyphs element");
}

} // namespace

std::string unicodeStringOf(const char *value) {
    std::string text;
    assignUnicodeString(text, value);
    return text;
}

void assignUnicodeString(std::string &text, const char *value) {
    size_t length = strnlen(value, kMaxUnicodeStringBytes + 1);
    if (length > kMaxUnicodeStringBytes) {
        length = kMaxUnicodeStringBytes;
        // No text record may end inside a character.
        while (length > 0 && isContinuationByte(value[length]))
            --length;
    }
    if (length >= 2 && value[0] == '{' && value[1] == '}')
        text.assign(value + 2, length - 2);
    else
        text.assign(value, length);
}

void readGlyphsAttributes(DocContext *context, const XML_Char **attributes) {
    GlyphRun &run = context->run;
    PresentAttributes present;
    for (const XML_Char **pair = attributes; pair[0] != nullptr; pair += 2) {
        const char *name = pair[0];
        const char *value = pair[1];
        if (std::strcmp(name, "UnicodeString") == 0) {
            assignUnicodeString(run.unicodeString, value);
        } else if (std::strcmp(name, "OriginX") == 0) {
            run.origin.x = readNumber(value, "Could not read double value from OriginX attribute in Glyphs element");
            present.originX = true;
        } else if (std::strcmp(name, "OriginY") == 0) {
            run.origin.y = readNumber(value, "Could not read double value from OriginY attribute in Glyphs element");
            present.originY = true;
        } else if (std::strcmp(name, "Indices") == 0) {
            readIndices(value, run.indices);
        } else if (std::strcmp(name, "RenderTransform") == 0) {
            pushTransform(context->transforms, context->pushCounts.back(), readTransform(context, value));
        } else if (std::strcmp(name, "FontUri") == 0) {
            run.fontUri = value;
            run.fontKey = context->fonts->keyOf(run.fontUri);
            // A font known to have failed answers as the failure would,
            // without the exception it costs on every run in it.
            if (context->fonts->hasFailed(run.fontKey)) {
                context->unitsPerEm = kUnitsPerEmOfUnloadableFont;
            } else {
                try {
                    context->unitsPerEm = context->fonts->unitsPerEm(run.fontKey, run.fontUri);
                } catch (const std::runtime_error &) {
                    context->unitsPerEm = kUnitsPerEmOfUnloadableFont;
                }
            }
        } else if (std::strcmp(name, "BidiLevel") == 0) {
            // Only its parity is used, and a level that cannot be read is
            // no reason to lose the run.
            char *end = nullptr;
            long level = std::strtol(value, &end, 10);
            run.bidiLevel = end != value && level >= 0 && level <= 61 ? static_cast<int32_t>(level) : 0;
        } else if (std::strcmp(name, "FontRenderingEmSize") == 0) {
            run.fontRenderingEmSize = readNumber(
                value, "Could not read double value from FontRenderingEmSize attribute in Glyphs element");
            present.emSize = true;
        }
    }
    checkComplete(run, present);
}

} // namespace fixrd
