// Until a part's expected root element has been seen, every other element of
// the root's namespace is ignored.
#pragma once

#include <cstdint>

struct DocContext;

namespace fixrd {

constexpr int32_t kIgnoreElement = 5;

// 0 to go on with the element, kIgnoreElement to ignore it.
int32_t checkRootElement(DocContext *context, const char *namespaceUri, const char *elementName,
                         const char *expectedLocalName);

} // namespace fixrd
