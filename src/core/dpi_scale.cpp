#include "core/dpi_scale.h"

#include <algorithm>
#include <cstdint>

namespace pellaro {

int ScaleToDpi(int value, int dpi) {
    if (dpi <= 0) dpi = kBaseDpi;
    const std::int64_t product = static_cast<std::int64_t>(value) * dpi;
    const std::int64_t half = kBaseDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi));
}

int DpiThatFits(int dpi, int width, int height, int areaWidth, int areaHeight) {
    if (dpi <= 0) dpi = kBaseDpi;
    if (areaWidth <= 0 || areaHeight <= 0 || width <= 0 || height <= 0) return dpi;
    // The largest d with width * d / 96 <= area, on each axis.
    const int byWidth = static_cast<int>(static_cast<std::int64_t>(areaWidth) * kBaseDpi / width);
    const int byHeight = static_cast<int>(static_cast<std::int64_t>(areaHeight) * kBaseDpi / height);
    return std::max(kBaseDpi, std::min({dpi, byWidth, byHeight}));
}

}  // namespace pellaro
