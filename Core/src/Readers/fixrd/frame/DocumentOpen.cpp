#include "frame/DocumentOpen.h"

#include "frame/DocContext.h"

namespace fixrd {

uint32_t openDocument(DocContext *context, void *input) {
    (void)context;
    (void)input;
    return 12;   // the container companion arrives with document open
}

} // namespace fixrd
