// Writes the particle effects' volume texture in the engine's raw image format: 16 slices of
// 16 x 16 white pixels whose alpha carries the shape. The effects pick a slice by index:
// 0 a round flake with a soft rim (the slice of a particle that names none, like a snowflake),
// 1 a soft round glow, 2 a vertical streak, 3 a thin ring, 4 a leaf-shaped ellipse, 5 a bubble,
// 6 to 15 round glows from soft to sharp. Every slice is clear along its border.
//
//   particletexture <output file>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr uint32_t kSize = 16;
constexpr uint32_t kSlices = 16;

// The radius of the border pixels nearest the centre: every shape is clear from there out, so a
// sprite never shows the square of its quad, however large it is drawn or bright its colour.
constexpr float kClearRadius = 1.0f - 1.0f / kSize;

// 1 inside, falling smoothly to 0 at the clear radius.
float Rim(float r) {
    const float t = std::clamp((kClearRadius - r) / 0.3f, 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Coverage 0..1 of a slice at (x, y), both in -1..1 from the image centre.
float Shape(uint32_t slice, float x, float y) {
    const float r = std::sqrt(x * x + y * y);
    switch (slice) {
        case 0:
            return std::clamp((kClearRadius - r) / 0.25f, 0.0f, 1.0f);
        case 1:
            return std::exp(-4.0f * r * r) * Rim(r);
        case 2:
            // Clear at the top and bottom rows by its own taper, so the streak keeps its length.
            return std::exp(-40.0f * x * x) * std::max(0.0f, 1.0f - y * y / (kClearRadius * kClearRadius));
        case 3:
            return std::exp(-60.0f * (r - 0.62f) * (r - 0.62f)) * Rim(r);
        case 4:
            return std::clamp((0.85f - std::sqrt(x * x / 0.25f + y * y)) / 0.15f, 0.0f, 1.0f);
        case 5:
            return std::min(1.0f, 0.25f + std::exp(-40.0f * (r - 0.62f) * (r - 0.62f))) * Rim(r);
        default: {
            const float sharpness = 2.0f + 2.0f * static_cast<float>(slice - 6);
            return std::exp(-sharpness * r * r) * Rim(r);
        }
    }
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: particletexture <output file>\n");
        return 2;
    }
    std::vector<uint8_t> file{'Q', 'V', 'I', 'M'};
    PutU32(file, kSize);
    PutU32(file, kSize);
    PutU32(file, kSlices);
    for (uint32_t slice = 0; slice < kSlices; ++slice)
        for (uint32_t row = 0; row < kSize; ++row)
            for (uint32_t column = 0; column < kSize; ++column) {
                const float x = (static_cast<float>(column) + 0.5f) / kSize * 2.0f - 1.0f;
                const float y = (static_cast<float>(row) + 0.5f) / kSize * 2.0f - 1.0f;
                const float a = std::clamp(Shape(slice, x, y), 0.0f, 1.0f);
                const uint8_t alpha = static_cast<uint8_t>(std::lround(a * 255.0f));
                file.insert(file.end(), {255, 255, 255, alpha});
            }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "particletexture: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "particletexture: writing %s failed\n", argv[1]);
        return 1;
    }
    return 0;
}
