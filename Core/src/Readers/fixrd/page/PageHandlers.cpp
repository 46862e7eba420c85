#include "page/PageHandlers.h"

namespace fixrd {

void pageStart(DocContext *, const XML_Char *, const XML_Char **) {}

void pageEnd(DocContext *, const XML_Char *) {}

} // namespace fixrd
