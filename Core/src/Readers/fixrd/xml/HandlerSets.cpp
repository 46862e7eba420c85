#include "xml/GuardedHandler.h"
#include "xml/HandlerSet.h"
#include "package/ContentTypesHandler.h"
#include "package/DocumentStructureHandlers.h"
#include "page/PageHandlers.h"

namespace fixrd {

namespace {

const HandlerSet kContentTypes = {guardedStart<contentTypesStart>, ignoreEnd, ignoreCharacterData, nullptr, nullptr, true};
const HandlerSet kSequence = {guardedStart<sequenceStart>, ignoreEnd, ignoreCharacterData, nullptr, nullptr, true};
const HandlerSet kDocument = {guardedStart<documentStart>, ignoreEnd, ignoreCharacterData, nullptr, nullptr, true};
const HandlerSet kPage = {guardedStart<pageStart>, guardedEnd<pageEnd>, ignoreCharacterData,
                          guardedNamespaceStart<pageNamespaceStart>, guardedEnd<pageNamespaceEnd>, false};

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
