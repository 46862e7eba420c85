#include "VantrelError.h"

#include <sstream>

namespace vt::except {

vantrel_error::vantrel_error(int32_t code) : code_(code) {
    std::ostringstream text;
    text << "Vantrel error " << code;
    message_ = text.str();
}

} // namespace vt::except
