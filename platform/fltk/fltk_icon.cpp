// The program icon, drawn here rather than shipped as a picture: a blue
// tile with the Morse letter A (dit dah) in white over an amber key bar.
#include <algorithm>
#include <cmath>

#include "platform/fltk/fltk_internal.h"

namespace fltk_backend {

namespace {

struct Colour {
    double r, g, b;
};

bool insideRoundedRect(double x, double y, double left, double top, double right, double bottom, double radius) {
    if (x < left || x > right || y < top || y > bottom) return false;
    const double cx = std::clamp(x, left + radius, right - radius);
    const double cy = std::clamp(y, top + radius, bottom - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

// The colour at a point of the unit square, with its coverage (0: outside the tile).
bool shade(double x, double y, Colour& colour) {
    if (!insideRoundedRect(x, y, 0.04, 0.04, 0.96, 0.96, 0.2)) return false;
    const Colour top{0x2d, 0x6c, 0xb5};
    const Colour bottom{0x17, 0x3a, 0x66};
    colour = {top.r + (bottom.r - top.r) * y, top.g + (bottom.g - top.g) * y, top.b + (bottom.b - top.b) * y};
    const bool dit = (x - 0.27) * (x - 0.27) + (y - 0.45) * (y - 0.45) <= 0.1 * 0.1;
    const bool dah = insideRoundedRect(x, y, 0.44, 0.35, 0.84, 0.55, 0.1);
    if (dit || dah) colour = {0xff, 0xff, 0xff};
    if (insideRoundedRect(x, y, 0.16, 0.70, 0.84, 0.77, 0.035)) colour = {0xf2, 0xb7, 0x05};
    return true;
}

}  // namespace

std::vector<unsigned char> drawProgramIcon(int size) {
    constexpr int Samples = 4;  // per axis, for smooth edges
    std::vector<unsigned char> pixels(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4, 0);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0;
            int covered = 0;
            for (int sy = 0; sy < Samples; ++sy) {
                for (int sx = 0; sx < Samples; ++sx) {
                    const double x = (px + (sx + 0.5) / Samples) / size;
                    const double y = (py + (sy + 0.5) / Samples) / size;
                    Colour c{};
                    if (!shade(x, y, c)) continue;
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    ++covered;
                }
            }
            unsigned char* pixel = &pixels[(static_cast<std::size_t>(py) * static_cast<std::size_t>(size) +
                                            static_cast<std::size_t>(px)) *
                                           4];
            if (covered == 0) continue;
            pixel[0] = static_cast<unsigned char>(std::lround(r / covered));
            pixel[1] = static_cast<unsigned char>(std::lround(g / covered));
            pixel[2] = static_cast<unsigned char>(std::lround(b / covered));
            pixel[3] = static_cast<unsigned char>(covered * 255 / (Samples * Samples));
        }
    }
    return pixels;
}

}  // namespace fltk_backend
