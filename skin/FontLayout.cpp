#include "skin/FontLayout.h"

bool GlyphOrigin(const FontMetrics& metrics, char character, SkinPoint& origin) {
    const int32_t code = static_cast<signed char>(character);
    if (code < 32 || code > 126) return false;
    origin = {(code - 32) * metrics.cellWidth, 0};
    return true;
}
