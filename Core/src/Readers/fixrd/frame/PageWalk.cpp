#include "frame/PageWalk.h"

#include "frame/DocContext.h"
#include "package/PartExtraction.h"
#include "xml/PartParser.h"

#include <cstdio>

namespace fixrd {

namespace {

// The page's reference resolved against the name of the document listing
// it; the reference itself when that was not recorded.
const char *resolvedPageName(const DocContext *context, int32_t page) {
    if (context->resolvedPageNames.size() != static_cast<size_t>(context->pageCount))
        return context->pageNames[page];
    return context->resolvedPageNames[static_cast<size_t>(page)].c_str();
}

} // namespace

int32_t walkPages(DocContext *context) {
    for (int32_t i = 0; i < context->pageCount; ++i) {
        // Relative page names of the first document resolve under its folder.
        char fallback[256];
        std::snprintf(fallback, 255, "Documents/1/%s", context->pageNames[i]);
        // A page is where its reference points from its document, whatever
        // folder the document is in; the reference as written and behind
        // the first document's folder still find pages put elsewhere.
        const char *resolved = resolvedPageName(context, i);
        bool whereReferenced = hasPart(context, resolved);
        int32_t status = whereReferenced ? extractPart(context, resolved, nullptr, nullptr, &context->pageIO,
                                                       &context->currentPageName)
                                         : extractPart(context, context->pageNames[i], fallback, nullptr,
                                                       &context->pageIO, &context->currentPageName);
        if (status != 0)
            return status;
        // A page whose markup broke off must not leave its transforms acting
        // on the pages after it.
        context->transforms.clear();
        context->pushCounts.clear();
        context->pageStartsLine = true;
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
