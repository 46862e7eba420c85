#pragma once

#include <cstdint>

namespace pkgrd {

// A fixed phrase for each status of PkgrdStatus.h; never null.
const char *describeStatus(int32_t status);

} // namespace pkgrd
