#include "xml/GuardedHandler.h"
#include "xml/HandlerSet.h"
#include "package/ContentTypesHandler.h"
#include "package/DocumentStructureHandlers.h"
#include "page/PageHandlers.h"

namespace fixrd {

namespace {

const HandlerSet kContentTypes = {guardedStart<contentTypesStart>, ignoreEnd, ignoreCharacterData, true};
const HandlerSet kSequence = {guardedStart<sequenceStart>, ignoreEnd, ignoreCharacterData, true};
const HandlerSet kDocument = {guardedStart<documentStart>, ignoreEnd, ignoreCharacterData, true};
const HandlerSet kPage = {guardedStart<pageStart>, guardedEnd<pageEnd>, ignoreCharacterData, false};

} // namespace

const HandlerSet &handlerSetOf(PartKind kind) {
    switch (kind) {
    case PartKind::ContentTypes: return kContentTypes;
    case PartKind::Sequence: return kSequence;
    case PartKind::Document: return kDocument;
    case PartKind::Page: break;
    }
    return kPage;
}

} // namespace fixrd
