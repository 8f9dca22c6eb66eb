#include "resources/program_icon.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

struct Colour {
    double r, g, b;
};

// The picture on a 256-unit square.
bool insideRoundedRect(double x, double y, double left, double top, double right, double bottom, double radius) {
    if (x < left || x > right || y < top || y > bottom) return false;
    const double cx = std::clamp(x, left + radius, right - radius);
    const double cy = std::clamp(y, top + radius, bottom - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

// The colour at a point, false outside the badge.
bool shade(double x, double y, Colour& colour) {
    if (!insideRoundedRect(x, y, 8, 8, 247, 247, 40)) return false;
    const Colour blue{0x1f, 0x4e, 0x79};
    const Colour amber{0xf2, 0xb1, 0x34};
    const Colour white{0xff, 0xff, 0xff};
    colour = blue;
    if (insideRoundedRect(x, y, 40, 64, 215, 80, 0) || insideRoundedRect(x, y, 40, 184, 215, 200, 0)) colour = amber;
    const bool firstDah = insideRoundedRect(x, y, 24, 114, 92, 150, 16);
    const bool dit = (x - 128) * (x - 128) + (y - 132) * (y - 132) <= 18 * 18;
    const bool secondDah = insideRoundedRect(x, y, 164, 114, 232, 150, 16);
    if (firstDah || dit || secondDah) colour = white;
    return true;
}

void put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFFu);
    put16(out, value >> 16);
}

// A picture as an icon file holds it: a BITMAPINFOHEADER of twice the
// height (colour and mask), BGRA rows from the bottom, then the AND mask
// (1 = transparent), its rows padded to 32 bits.
std::vector<std::uint8_t> iconImage(int size) {
    const std::vector<std::uint8_t> rgba = drawProgramIcon(size);
    const auto n = static_cast<std::size_t>(size);
    const std::size_t maskRow = (n + 31) / 32 * 4;
    std::vector<std::uint8_t> out;
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(size));
    put32(out, static_cast<std::uint32_t>(size * 2));
    put16(out, 1);   // planes
    put16(out, 32);  // bits per pixel
    put32(out, 0);   // no compression
    put32(out, static_cast<std::uint32_t>(n * n * 4 + maskRow * n));
    for (int k = 0; k < 4; ++k) put32(out, 0);
    for (std::size_t row = n; row-- > 0;) {
        for (std::size_t x = 0; x < n; ++x) {
            const std::uint8_t* p = &rgba[(row * n + x) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    for (std::size_t row = n; row-- > 0;) {
        std::vector<std::uint8_t> bits(maskRow, 0);
        for (std::size_t x = 0; x < n; ++x)
            if (rgba[(row * n + x) * 4 + 3] == 0) bits[x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
        out.insert(out.end(), bits.begin(), bits.end());
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> drawProgramIcon(int size) {
    constexpr int Samples = 4;  // per axis, for smooth edges
    const auto n = static_cast<std::size_t>(std::max(size, 0));
    std::vector<std::uint8_t> pixels(n * n * 4, 0);
    for (std::size_t py = 0; py < n; ++py) {
        for (std::size_t px = 0; px < n; ++px) {
            double r = 0, g = 0, b = 0;
            int covered = 0;
            for (int sy = 0; sy < Samples; ++sy) {
                for (int sx = 0; sx < Samples; ++sx) {
                    const double x = (static_cast<double>(px) + (sx + 0.5) / Samples) * 256.0 / size;
                    const double y = (static_cast<double>(py) + (sy + 0.5) / Samples) * 256.0 / size;
                    Colour c{};
                    if (!shade(x, y, c)) continue;
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    ++covered;
                }
            }
            if (covered == 0) continue;
            std::uint8_t* pixel = &pixels[(py * n + px) * 4];
            pixel[0] = static_cast<std::uint8_t>(std::lround(r / covered));
            pixel[1] = static_cast<std::uint8_t>(std::lround(g / covered));
            pixel[2] = static_cast<std::uint8_t>(std::lround(b / covered));
            pixel[3] = static_cast<std::uint8_t>(covered * 255 / (Samples * Samples));
        }
    }
    return pixels;
}

std::vector<std::uint8_t> programIconFile(std::span<const int> sizes) {
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : sizes) images.push_back(iconImage(size));
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1);  // an icon
    put16(out, static_cast<unsigned>(images.size()));
    auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        // Width and height 0 stand for 256.
        out.push_back(static_cast<std::uint8_t>(sizes[i] & 0xFF));
        out.push_back(static_cast<std::uint8_t>(sizes[i] & 0xFF));
        out.push_back(0);  // no palette
        out.push_back(0);
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<std::uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}
