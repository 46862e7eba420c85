// Document open: companions, container and the chain from
// [Content_Types].xml to the list of pages.
#pragma once

#include <cstdint>

struct DocContext;

namespace fixrd {

// The status of xpsInitDoc.  On failure the container is closed and both
// companions released again; no exception leaves.
uint32_t openDocument(DocContext *context, void *input);

} // namespace fixrd
