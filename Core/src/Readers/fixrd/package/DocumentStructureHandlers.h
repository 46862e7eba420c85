// The FixedDocumentSequence names the FixedDocument (the last reference
// counts); the FixedDocument lists the pages in order.
#pragma once

#include <expat.h>

struct DocContext;

namespace fixrd {

void sequenceStart(DocContext *context, const XML_Char *name, const XML_Char **attributes);
void documentStart(DocContext *context, const XML_Char *name, const XML_Char **attributes);

} // namespace fixrd
