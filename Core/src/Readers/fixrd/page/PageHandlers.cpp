#include "page/PageHandlers.h"

#include "frame/DocContext.h"
#include "page/GlyphsAttributes.h"
#include "page/MatrixReading.h"
#include "page/ResourceDictionaries.h"
#include "package/PartNames.h"
#include "page/TransformStack.h"
#include "support/except/ReaderErrors.h"
#include "text/GlyphRunEmitter.h"
#include "xml/Namespaces.h"
#include "xml/RootCheck.h"

#include <cstring>
#include <stdexcept>

namespace fixrd {

namespace {

// Every element of a page must be in one of the two markup namespaces.
const char *checkedLocalName(const char *name) {
    const char *uri = nullptr;
    size_t length = 0;
    if (std::strncmp(name, kXpsNamespace, sizeof kXpsNamespace - 1) == 0) {
        uri = kXpsNamespace;
        length = sizeof kXpsNamespace - 1;
    } else if (std::strncmp(name, kOpenXpsNamespace, sizeof kOpenXpsNamespace - 1) == 0) {
        uri = kOpenXpsNamespace;
        length = sizeof kOpenXpsNamespace - 1;
    }
    if (uri == nullptr)
        throw XPSConformanceError("No expected namespace");
    if (name[length] != kNamespaceSeparator)
        throw XPSConformanceError("Unexpected last of namespace separator");
    return name + length + 1;
}

// True for an element whose start the root check ignored: one of the XPS
// namespace before its FixedPage root was seen.
bool startWasIgnored(const DocContext *context, const char *name) {
    if (context->rootSeen != 0)
        return false;
    size_t length = sizeof kXpsNamespace - 1;
    return std::strncmp(name, kXpsNamespace, length) == 0 && name[length] == kNamespaceSeparator &&
           std::strcmp(name + length + 1, "FixedPage") != 0;
}

void pushTransforms(DocContext *context, const XML_Char **attributes, const char *attributeName) {
    for (const XML_Char **pair = attributes; pair[0] != nullptr; pair += 2) {
        if (std::strcmp(pair[0], attributeName) == 0)
            pushTransform(context->transforms, context->pushCounts.back(), readTransform(context, pair[1]));
    }
}

const char *attributeValue(const XML_Char **attributes, const char *attributeName) {
    for (const XML_Char **pair = attributes; pair[0] != nullptr; pair += 2) {
        if (std::strcmp(pair[0], attributeName) == 0)
            return pair[1];
    }
    return nullptr;
}

void startDictionary(DocContext *context, const XML_Char **attributes) {
    context->resources.enterDictionary();
    if (const char *source = attributeValue(attributes, "Source"))
        context->resources.include(context, resolveReference(context->currentPageName, source));
}

// A keyed MatrixTransform in a dictionary is kept for the references to it.
// One that cannot be read is left to what reading it as a transform does.
void defineResource(DocContext *context, const XML_Char **attributes) {
    const char *matrix = attributeValue(attributes, "Matrix");
    for (const XML_Char **pair = attributes; matrix != nullptr && pair[0] != nullptr; pair += 2) {
        if (!isKeyAttribute(pair[0]))
            continue;
        try {
            context->resources.define(pair[1], readMatrix(matrix));
        } catch (const std::runtime_error &) {
        }
        return;
    }
}

bool hasAttribute(const XML_Char **attributes, const char *attributeName) {
    for (const XML_Char **pair = attributes; pair[0] != nullptr; pair += 2) {
        if (std::strcmp(pair[0], attributeName) == 0)
            return true;
    }
    return false;
}

void startGlyphs(DocContext *context, const XML_Char **attributes) {
    // The run before this one, already in page space, becomes the previous
    // origin; it first comes into being at an origin off both axes.
    const Point &before = context->run.origin;
    if (context->previousOrigin == nullptr && before.x != 0.0 && before.y != 0.0)
        context->previousOrigin = new Point;
    if (context->previousOrigin != nullptr)
        *context->previousOrigin = before;

    context->run.reset();
    context->pushCounts.push_back(0);
    readGlyphsAttributes(context, attributes);
}

void popTransforms(DocContext *context) {
    if (context->pushCounts.empty())
        return;
    uint64_t count = context->pushCounts.back();
    context->pushCounts.pop_back();
    for (; count > 0 && !context->transforms.empty(); --count)
        context->transforms.pop_back();
}

} // namespace

void pageStart(DocContext *context, const XML_Char *name, const XML_Char **attributes) {
    if (context == nullptr || name == nullptr || attributes == nullptr)
        return;
    if (context->markup.start(name, attributes) == MarkupCompatibility::Verdict::Skip)
        return;
    if (checkRootElement(context, kXpsNamespace, name, "FixedPage") == kIgnoreElement)
        return;
    const char *local = checkedLocalName(name);
    if (std::strcmp(local, "Canvas") == 0 || std::strcmp(local, "Path") == 0) {
        if (local[0] == 'C')
            context->resources.openScope();
        context->pushCounts.push_back(0);
        pushTransforms(context, attributes, "RenderTransform");
    } else if (std::strcmp(local, "Glyphs") == 0) {
        startGlyphs(context, attributes);
    } else if (std::strcmp(local, "ResourceDictionary") == 0) {
        startDictionary(context, attributes);
    } else if (std::strcmp(local, "MatrixTransform") == 0) {
        if (context->resources.inDictionary())
            defineResource(context, attributes);
        // With no element open there is nothing to count it against, and it
        // would act on every later run: ignore it.
        if (context->pushCounts.empty())
            return;
        if (!hasAttribute(attributes, "Matrix"))
            throw XPSConformanceError("Missing required Matrix attribute in MatrixTransform element");
        pushTransforms(context, attributes, "Matrix");
    }
}

void pageEnd(DocContext *context, const XML_Char *name) {
    if (context == nullptr || name == nullptr)
        return;
    if (context->markup.end(name) == MarkupCompatibility::Verdict::Skip || startWasIgnored(context, name))
        return;
    const char *local = checkedLocalName(name);
    if (std::strcmp(local, "Canvas") == 0)
        context->resources.closeScope();
    else if (std::strcmp(local, "ResourceDictionary") == 0)
        context->resources.leaveDictionary();
    bool glyphs = std::strcmp(local, "Glyphs") == 0;
    if (glyphs) {
        context->run.origin = transformPoint(context->transforms, context->run.origin);
        emitGlyphRun(context, context->previousRunEnd, context->previousRunAdvanceEnd);
    }
    if (glyphs || std::strcmp(local, "Canvas") == 0 || std::strcmp(local, "Path") == 0)
        popTransforms(context);
}

void pageNamespaceStart(DocContext *context, const XML_Char *prefix, const XML_Char *uri) {
    context->markup.bind(prefix, uri);
}

void pageNamespaceEnd(DocContext *context, const XML_Char *prefix) { context->markup.unbind(prefix); }

} // namespace fixrd
