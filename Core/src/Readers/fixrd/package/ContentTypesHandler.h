// [Content_Types].xml: the reader wants only the name of the
// FixedDocumentSequence part, declared by an Override element.
#pragma once

#include <expat.h>

struct DocContext;

namespace fixrd {

constexpr char kSequenceContentType[] = "application/vnd.ms-package.xps-fixeddocumentsequence+xml";

void contentTypesStart(DocContext *context, const XML_Char *name, const XML_Char **attributes);

} // namespace fixrd
