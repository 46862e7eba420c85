#include "page/MatrixReading.h"

#include "page/NumberReading.h"
#include "support/except/ReaderErrors.h"

#include <cstring>
#include <string_view>

namespace fixrd {

Matrix readMatrix(const char *value) {
    double fields[6];
    const char *at = value;
    for (double &field : fields) {
        const char *comma = std::strchr(at, ',');
        size_t length = comma != nullptr ? static_cast<size_t>(comma - at) : std::strlen(at);
        if (length == 0)
            throw XPSConformanceError("Missing required CSV element from RenderTransform string");
        field = leadingDouble(std::string_view(at, length));
        at = comma != nullptr ? comma + 1 : at + length;
    }
    Matrix m{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], false};
    m.identity = m.m11 == 1.0 && m.m12 == 0.0 && m.m21 == 0.0 && m.m22 == 1.0 && m.offsetX == 0.0 && m.offsetY == 0.0;
    return m;
}

} // namespace fixrd
