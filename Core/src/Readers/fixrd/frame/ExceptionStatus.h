// Turns an exception that nothing inside caught into the status an entry
// point returns, so that no exception reaches the host through open or fill.
#pragma once

#include <cstdint>
#include <exception>

namespace fixrd {

// bad_alloc: 2; a support-library error: its code; anything else: 6.
uint32_t statusOfException(std::exception_ptr error) noexcept;

} // namespace fixrd
