#include "frame/PageWalk.h"

#include "frame/DocContext.h"
#include "package/PartExtraction.h"
#include "xml/PartParser.h"

#include <cstdio>

namespace fixrd {

int32_t walkPages(DocContext *context) {
    for (int32_t i = 0; i < context->pageCount; ++i) {
        // Relative page names of the first document resolve under its folder.
        char fallback[256];
        std::snprintf(fallback, 255, "Documents/1/%s", context->pageNames[i]);
        int32_t status = extractPart(context, context->pageNames[i], fallback, nullptr, &context->pageIO,
                                     &context->currentPageName);
        if (status != 0)
            return status;
        // A page whose markup broke off must not leave its transforms acting
        // on the pages after it.
        context->transforms.clear();
        context->pushCounts.clear();
        status = parsePartXml(context, PartKind::Page);
        if (status != 0)
            return status;
        context->pageIO->release(context->pageIO);
        context->pageIO = nullptr;
        context->currentPageName.clear();
    }
    return 0;
}

} // namespace fixrd
