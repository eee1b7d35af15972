#pragma once
// Uncompressed 24-bit bitmap files: a 14-byte file header and a 40-byte information header,
// followed at once by the pixel rows (bottom row first, each padded to a multiple of 4 bytes).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace SD {

constexpr size_t kBmpHeaderSize = 54;
using BmpHeader = std::array<unsigned char, kBmpHeaderSize>;

// Pixels are three bytes each (blue, green, red), top row first, rows without padding.
struct BmpImage {
    std::vector<unsigned char> pixels;
    int32_t width = 0;
    int32_t height = 0;
};

// Bytes one pixel row takes in the file, padding included.
uint64_t BmpRowSize(int32_t width);

// A header for a 24-bit file of this size, with the sizes and offsets filled.
BmpHeader MakeBmpHeader(int32_t width, int32_t height);

// Reads the first 54 bytes of the file into dest; a file that does not open or is shorter
// than a header leaves dest untouched. Returns dest.
BmpHeader& ReadBmpHeader(const std::string& path, BmpHeader& dest);

// Reads a whole 24-bit bitmap. On failure (no file, a refused header, fewer bytes than the
// dimensions need) the failure is logged, false is returned and the image is unchanged.
bool ReadBmpFile(BmpImage& image, const std::string& path);

// Writes the header as given, then the image's rows bottom first with zero padding. The file
// is replaced only once it has been written in full. False when the image's pixels do not
// cover its dimensions or the file cannot be written.
bool WriteBmpFile(const std::string& path, BmpHeader header, const BmpImage& image);

}  // namespace SD
