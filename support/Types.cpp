#include "support/Types.h"

#include <algorithm>
#include <cmath>

ccColor3B ccColor3BFromHSV(float h, float s, float v) {
    s = std::clamp(s, 0.0f, 1.0f);
    v = std::clamp(v, 0.0f, 1.0f);
    auto byte = [](float channel) { return uint8_t(channel * 255); };
    if (s == 0) return {byte(v), byte(v), byte(v)};
    float hh = (h - std::floor(h)) * 6;
    if (hh >= 6) hh = 0;
    int i = int(hh);
    float f = hh - float(i);
    float p = v * (1 - s), q = v * (1 - s * f), r = v * (1 - s * (1 - f));
    switch (i) {
    case 0: return {byte(v), byte(r), byte(p)};
    case 1: return {byte(q), byte(v), byte(p)};
    case 2: return {byte(p), byte(v), byte(r)};
    case 3: return {byte(p), byte(q), byte(v)};
    case 4: return {byte(r), byte(p), byte(v)};
    default: return {byte(v), byte(p), byte(q)};
    }
}
