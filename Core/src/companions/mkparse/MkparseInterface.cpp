// The companion's one export.

#include "frame/HostInterfaces.h"

#include "MkparseServices.h"
#include "UnknownEncodingHandler.h"

namespace {

int isEncodingSupportedEntry(const char *name) { return mkparse::isEncodingSupported(name) ? 1 : 0; }

} // namespace

extern "C" __attribute__((visibility("default"))) void mkpGetInterface(XmlServices *table) {
    if (table == nullptr)
        return;
    table->companionReserved[MKP_ENTRY_IS_ENCODING_SUPPORTED] =
        reinterpret_cast<void *>(&isEncodingSupportedEntry);
    for (int entry = 1; entry < 4; ++entry)
        table->companionReserved[entry] = nullptr;
    // The table names Expat's record only by a forward declaration; the
    // handler is exactly Expat's XML_UnknownEncodingHandler.
    table->unknownEncodingHandler = reinterpret_cast<UnknownEncodingHandlerFn>(&mkparse::handleUnknownEncoding);
}
