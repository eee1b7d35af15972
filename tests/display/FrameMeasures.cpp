#include "display/FrameMeasures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>

#include "platform/gfx/ImageFile.h"

namespace qvdisplay {
namespace {

Colour At(const Frame& frame, int x, int y) {
    const uint8_t* p = frame.rgba.data() + (static_cast<size_t>(y) * frame.width + x) * 4;
    return {double(p[0]), double(p[1]), double(p[2])};
}

Box Clipped(const Frame& frame, const Box& box) {
    return {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, frame.width),
            std::min(box.bottom, frame.height)};
}

}  // namespace

size_t DistinctColours(const Frame& frame, size_t cap) {
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 3 < frame.rgba.size() && colours.size() < cap; i += 4)
        colours.insert(frame.rgba[i] | frame.rgba[i + 1] << 8 | frame.rgba[i + 2] << 16);
    return colours.size();
}

Colour MeanColour(const Frame& frame, const Box& box) {
    const Box b = Clipped(frame, box);
    Colour sum;
    long count = 0;
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x, ++count) {
            const Colour c = At(frame, x, y);
            sum.r += c.r, sum.g += c.g, sum.b += c.b;
        }
    if (count == 0) return sum;
    return {sum.r / count, sum.g / count, sum.b / count};
}

Colour MeanAround(const Frame& frame, const Box& box, int gap, int width) {
    const Box outer = Clipped(
        frame, {box.left - gap - width, box.top - gap - width, box.right + gap + width, box.bottom + gap + width});
    const Box inner{box.left - gap, box.top - gap, box.right + gap, box.bottom + gap};
    Colour sum;
    long count = 0;
    for (int y = outer.top; y < outer.bottom; ++y)
        for (int x = outer.left; x < outer.right; ++x) {
            if (x >= inner.left && x < inner.right && y >= inner.top && y < inner.bottom) continue;
            const Colour c = At(frame, x, y);
            sum.r += c.r, sum.g += c.g, sum.b += c.b;
            ++count;
        }
    if (count == 0) return sum;
    return {sum.r / count, sum.g / count, sum.b / count};
}

double ChannelDistance(const Colour& a, const Colour& b) {
    return std::max({std::fabs(a.r - b.r), std::fabs(a.g - b.g), std::fabs(a.b - b.b)});
}

Colour Chromaticity(const Colour& c) {
    const double sum = c.r + c.g + c.b;
    if (sum <= 0.0) return {1.0 / 3, 1.0 / 3, 1.0 / 3};
    return {c.r / sum, c.g / sum, c.b / sum};
}

double ShareLike(const Frame& frame, const Box& box, const Colour& colour, double tolerance) {
    const Box b = Clipped(frame, box);
    const Colour wanted = Chromaticity(colour);
    long like = 0, count = 0;
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x, ++count)
            if (ChannelDistance(Chromaticity(At(frame, x, y)), wanted) <= tolerance) ++like;
    return count ? double(like) / count : 0.0;
}

Colour TextureMean(const std::string& path, std::string* error) {
    platform::gfx::Image image;
    error->clear();
    if (!platform::gfx::ReadImageFile(path, image, *error)) return {};
    Colour sum;
    const size_t pixels = image.pixels.size() / 4;
    for (size_t i = 0; i < pixels; ++i) {
        // Memory order blue, green, red, alpha.
        sum.b += image.pixels[i * 4];
        sum.g += image.pixels[i * 4 + 1];
        sum.r += image.pixels[i * 4 + 2];
    }
    if (pixels == 0) return sum;
    return {sum.r / pixels, sum.g / pixels, sum.b / pixels};
}

std::string Describe(const Colour& c) {
    char text[64];
    std::snprintf(text, sizeof text, "(%.0f, %.0f, %.0f)", c.r, c.g, c.b);
    return text;
}

bool SavePpm(const Frame& frame, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << frame.width << " " << frame.height << "\n255\n";
    for (size_t i = 0; i + 3 < frame.rgba.size(); i += 4) out.write(reinterpret_cast<const char*>(&frame.rgba[i]), 3);
    return bool(out);
}

void KeepFrames(const std::vector<std::pair<const char*, const Frame*>>& frames) {
    const char* folder = std::getenv("QV_FRAMES");
    if (!folder) return;
    for (const auto& [name, frame] : frames) SavePpm(*frame, std::string(folder) + "/" + name + ".ppm");
}

}  // namespace qvdisplay
