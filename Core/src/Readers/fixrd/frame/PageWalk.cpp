#include "frame/PageWalk.h"

#include "frame/DocContext.h"

namespace fixrd {

int32_t walkPages(DocContext *context) {
    (void)context;
    return 0;   // page text arrives with the page handlers
}

} // namespace fixrd
