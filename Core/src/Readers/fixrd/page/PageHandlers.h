// The FixedPage handlers: the namespace check, the transform stack, and a
// glyph run emitted at the end of every Glyphs element.
#pragma once

#include <expat.h>

struct DocContext;

namespace fixrd {

void pageStart(DocContext *context, const XML_Char *name, const XML_Char **attributes);
void pageEnd(DocContext *context, const XML_Char *name);
void pageNamespaceStart(DocContext *context, const XML_Char *prefix, const XML_Char *uri);
void pageNamespaceEnd(DocContext *context, const XML_Char *prefix);

} // namespace fixrd
