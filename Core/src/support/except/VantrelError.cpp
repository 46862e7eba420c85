#include "VantrelError.h"

#include <string>

namespace vt::except {

vantrel_error::vantrel_error(int32_t code) : code_(code) {
    message_ = "Vantrel error " + std::to_string(code);
}

} // namespace vt::except
