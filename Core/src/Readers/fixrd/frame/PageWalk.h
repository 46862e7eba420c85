// Reads every page of the document in order, writing its records.
#pragma once

#include <cstdint>

struct DocContext;

namespace fixrd {

// 0 when every page was read, else the status of the first page that failed.
int32_t walkPages(DocContext *context);

} // namespace fixrd
