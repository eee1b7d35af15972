#include "sound/engine/lower/SxDecibels.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace SX::SxMath {

namespace {
const std::array<float, 98>& Table() {
    static const std::array<float, 98> table = [] {
        std::array<float, 98> t{};
        for (int i = 0; i < 98; ++i) t[i] = static_cast<float>(std::pow(10.0, (i - 97) / 20.0));
        return t;
    }();
    return table;
}
}  // namespace

float DbToLinear(float db) {
    if (!(db > -96.3f)) return 0.0f;
    if (db >= 0.0f) return 1.0f;
    const float x = db + 97.0f;
    // Just below 0 dB the sum rounds to 97: the last step of the table, not past it.
    const int i = std::min(static_cast<int>(x), 96);
    const float frac = x - static_cast<float>(i);
    return Table()[i] + (Table()[i + 1] - Table()[i]) * frac;
}

}  // namespace SX::SxMath
