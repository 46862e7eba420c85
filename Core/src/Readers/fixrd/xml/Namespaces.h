// The namespace URIs the markup uses.
#pragma once

namespace fixrd {

constexpr char kXpsNamespace[] = "http://schemas.microsoft.com/xps/2005/06";
constexpr char kOpenXpsNamespace[] = "http://schemas.openxps.org/oxps/v1.0";
constexpr char kContentTypesNamespace[] = "http://schemas.openxmlformats.org/package/2006/content-types";

// Expat joins a namespace URI and a local name with this character.
constexpr char kNamespaceSeparator = ' ';

// The local name of an element in the XPS or the OpenXPS markup namespace
// (the URI followed by the separator), or null for any other element.
const char *markupLocalName(const char *expandedName);

} // namespace fixrd
