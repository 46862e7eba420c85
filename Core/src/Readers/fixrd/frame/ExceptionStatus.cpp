#include "frame/ExceptionStatus.h"

#include "support/except/VantrelError.h"

#include <new>

namespace fixrd {

uint32_t statusOfException(std::exception_ptr error) noexcept {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc &) {
        return 2;
    } catch (const vt::except::vantrel_error &e) {
        return static_cast<uint32_t>(e.code());
    } catch (...) {
        return 6;
    }
}

} // namespace fixrd
