// Adapts a C++ element handler to Expat's C callback.  An exception must not
// unwind through the parser's C frames: it is kept in the context, the parser
// is stopped, and the part parse rethrows it once Expat has returned.  After
// an error no further handler runs.
#pragma once

#include "frame/DocContext.h"

#include <expat.h>

namespace fixrd {

using StartHandler = void (*)(DocContext *context, const XML_Char *name, const XML_Char **attributes);
using EndHandler = void (*)(DocContext *context, const XML_Char *name);

void stopParseWithError(DocContext *context, std::exception_ptr error) noexcept;

template <StartHandler Handler>
void XMLCALL guardedStart(void *data, const XML_Char *name, const XML_Char **attributes) {
    auto *context = static_cast<DocContext *>(data);
    if (context->pendingError)
        return;
    try {
        Handler(context, name, attributes);
    } catch (...) {
        stopParseWithError(context, std::current_exception());
    }
}

template <EndHandler Handler>
void XMLCALL guardedEnd(void *data, const XML_Char *name) {
    auto *context = static_cast<DocContext *>(data);
    if (context->pendingError)
        return;
    try {
        Handler(context, name);
    } catch (...) {
        stopParseWithError(context, std::current_exception());
    }
}

using NamespaceStartHandler = void (*)(DocContext *context, const XML_Char *prefix, const XML_Char *uri);

template <NamespaceStartHandler Handler>
void XMLCALL guardedNamespaceStart(void *data, const XML_Char *prefix, const XML_Char *uri) {
    auto *context = static_cast<DocContext *>(data);
    if (context->pendingError)
        return;
    try {
        Handler(context, prefix, uri);
    } catch (...) {
        stopParseWithError(context, std::current_exception());
    }
}

inline void XMLCALL ignoreEnd(void *, const XML_Char *) {}
inline void XMLCALL ignoreCharacterData(void *, const XML_Char *, int) {}

} // namespace fixrd
