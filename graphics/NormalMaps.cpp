#include "graphics/NormalMaps.h"

#include <cmath>
#include <cstdint>

#include "core/ByteReader.h"

namespace Aperture {
namespace {

constexpr size_t kHeadersSize = 54;

struct BmpLayout {
    uint32_t pixelOffset = 0;
    int64_t width = 0;
    int64_t height = 0;
    size_t rowStride = 0;
};

bool ReadLayout(const std::vector<unsigned char>& bytes, BmpLayout& out, std::string& error) {
    if (bytes.size() < kHeadersSize || bytes[0] != 'B' || bytes[1] != 'M') {
        error = "not a BMP file";
        return false;
    }
    SD::ByteReader r(bytes.data(), bytes.size(), 10);
    uint32_t offset = 0, headerSize = 0, width = 0, height = 0, compression = 0;
    uint8_t planes[2], bits[2];
    r.U32(offset);
    r.U32(headerSize);
    r.U32(width);
    r.U32(height);
    r.Bytes(planes, 2);
    r.Bytes(bits, 2);
    r.U32(compression);
    const auto signedWidth = static_cast<int32_t>(width);
    const auto signedHeight = static_cast<int32_t>(height);
    if ((bits[0] | bits[1] << 8) != 24 || compression != 0) {
        error = "not a 24-bit uncompressed BMP";
        return false;
    }
    if (signedWidth < 2 || signedHeight == 0 || signedHeight == INT32_MIN || std::abs(signedHeight) < 2) {
        error = "smaller than 2 x 2 pixels";
        return false;
    }
    out.pixelOffset = offset;
    out.width = signedWidth;
    out.height = std::abs(signedHeight);
    out.rowStride = (static_cast<size_t>(out.width) * 3 + 3) & ~static_cast<size_t>(3);
    if (offset < kHeadersSize || offset > bytes.size() ||
        static_cast<uint64_t>(out.height) > (bytes.size() - offset) / out.rowStride) {
        error = "pixels run past the end of the file";
        return false;
    }
    return true;
}

unsigned char ToByte(float c) { return static_cast<unsigned char>(std::floor((c + 1.0f) * 0.5f * 255.0f)); }

}  // namespace

bool GenerateNormalMap(const std::vector<unsigned char>& heightMap, std::vector<unsigned char>& normalMap,
                       std::string& error) {
    BmpLayout layout;
    if (!ReadLayout(heightMap, layout, error)) return false;
    const size_t w = static_cast<size_t>(layout.width), h = static_cast<size_t>(layout.height);
    const unsigned char* pixels = heightMap.data() + layout.pixelOffset;
    auto height = [&](size_t x, size_t y) { return static_cast<float>(pixels[y * layout.rowStride + x * 3 + 2]); };
    normalMap.assign(heightMap.begin(), heightMap.begin() + layout.pixelOffset + h * layout.rowStride);
    unsigned char* out = normalMap.data() + layout.pixelOffset;
    for (size_t y = 0; y < h; ++y) {
        for (size_t x = 0; x < w; ++x) {
            const float dx = x == 0       ? height(1, y) - height(0, y)
                             : x == w - 1 ? height(w - 1, y) - height(w - 2, y)
                                          : height(x + 1, y) - height(x - 1, y);
            const float dy = y == 0       ? height(x, 1) - height(x, 0)
                             : y == h - 1 ? height(x, h - 1) - height(x, h - 2)
                                          : height(x, y + 1) - height(x, y - 1);
            const float length = std::sqrt(dx * dx + dy * dy + 1.0f);
            unsigned char* pixel = out + y * layout.rowStride + x * 3;
            pixel[0] = ToByte(-dy / length);
            pixel[1] = ToByte(1.0f / length);
            pixel[2] = ToByte(-dx / length);
        }
    }
    return true;
}

std::string NormalMapName(const std::string& heightMapFileName) {
    const size_t dot = heightMapFileName.rfind('.');
    if (dot == std::string::npos) return heightMapFileName + "_nrm";
    return heightMapFileName.substr(0, dot) + "_nrm" + heightMapFileName.substr(dot);
}

}  // namespace Aperture
