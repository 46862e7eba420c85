#include "frame/ResultHandout.h"

#include "frame/DocContext.h"
#include "frame/ExceptionStatus.h"
#include "frame/OutputChunks.h"
#include "frame/PageWalk.h"

namespace fixrd {

namespace {

// Status for a context that was never opened: its chunk list does not exist.
constexpr uint32_t kNotOpened = 6;

uint32_t runPageWalk(DocContext *context) {
    try {
        return static_cast<uint32_t>(walkPages(context));
    } catch (...) {
        return statusOfException(std::current_exception());
    }
}

} // namespace

uint32_t fillBuffer(DocContext *context, void *buffer, uint32_t *byteCount, uint32_t *completion) {
    if (context == nullptr || context->chunks == nullptr)
        return kNotOpened;
    // A failed walk left partial records behind; walking again would repeat them.
    if (context->walkFailure != 0)
        return context->walkFailure;
    if (context->pageWalkDone == 0) {
        uint32_t status = runPageWalk(context);
        if (status != 0) {
            context->walkFailure = status;
            return status;
        }
        context->pageWalkDone = 1;
    }
    handOutChunk(context, buffer, byteCount, completion);
    return 0;
}

} // namespace fixrd
