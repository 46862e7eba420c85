// The Expat callbacks of one part kind.
#pragma once

#include "xml/PartParser.h"

#include <expat.h>

namespace fixrd {

struct HandlerSet {
    XML_StartElementHandler start;
    XML_EndElementHandler end;
    XML_CharacterDataHandler characterData;
    bool skipLeadingBytes;
};

const HandlerSet &handlerSetOf(PartKind kind);

} // namespace fixrd
