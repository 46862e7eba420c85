// The Expat callbacks of one part kind.
#pragma once

#include "xml/PartParser.h"

#include <expat.h>

namespace fixrd {

struct HandlerSet {
    XML_StartElementHandler start;
    XML_EndElementHandler end;
    XML_CharacterDataHandler characterData;
    // Pages only: markup compatibility needs the prefixes in scope.
    XML_StartNamespaceDeclHandler startNamespace;
    XML_EndNamespaceDeclHandler endNamespace;
    bool skipLeadingBytes;
};

const HandlerSet &handlerSetOf(PartKind kind);

} // namespace fixrd
