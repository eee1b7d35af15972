#include "core/Bitmap.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/FileUtil.h"
#include "core/Logger.h"
#include "platform/os/Files.h"

namespace SD {
namespace {

constexpr uint16_t kBmpType = 0x4D42;  // "BM"
constexpr uint16_t kBitsPerPixel = 24;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

uint16_t ReadU16(const BmpHeader& h, size_t at) { return uint16_t(h[at] | h[at + 1] << 8); }

uint32_t ReadU32(const BmpHeader& h, size_t at) {
    return uint32_t(h[at]) | uint32_t(h[at + 1]) << 8 | uint32_t(h[at + 2]) << 16 | uint32_t(h[at + 3]) << 24;
}

void WriteU16(BmpHeader& h, size_t at, uint16_t v) {
    h[at] = uint8_t(v);
    h[at + 1] = uint8_t(v >> 8);
}

void WriteU32(BmpHeader& h, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) h[at + i] = uint8_t(v >> (8 * i));
}

bool ReadWholeHeader(FILE* file, BmpHeader& header) {
    return std::fread(header.data(), 1, header.size(), file) == header.size();
}

long FileSize(FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(file);
    if (std::fseek(file, long(kBmpHeaderSize), SEEK_SET) != 0) return -1;
    return size;
}

}  // namespace

uint64_t BmpRowSize(int32_t width) {
    const uint64_t bytes = uint64_t(width < 0 ? 0 : width) * 3;
    return (bytes + 3) & ~uint64_t(3);
}

BmpHeader MakeBmpHeader(int32_t width, int32_t height) {
    BmpHeader h{};
    const uint32_t imageSize = uint32_t(BmpRowSize(width) * uint64_t(height < 0 ? 0 : height));
    WriteU16(h, 0, kBmpType);
    WriteU32(h, 2, uint32_t(kBmpHeaderSize) + imageSize);
    WriteU32(h, 10, uint32_t(kBmpHeaderSize));
    WriteU32(h, 14, 40);
    WriteU32(h, 18, uint32_t(width));
    WriteU32(h, 22, uint32_t(height));
    WriteU16(h, 26, 1);
    WriteU16(h, 28, kBitsPerPixel);
    WriteU32(h, 34, imageSize);
    return h;
}

BmpHeader& ReadBmpHeader(const std::string& path, BmpHeader& dest) {
    File file(std::fopen(platform::NativePath(path).c_str(), "rb"));
    BmpHeader header;
    if (file && ReadWholeHeader(file.get(), header)) dest = header;
    return dest;
}

bool ReadBmpFile(BmpImage& image, const std::string& path) {
    File file(std::fopen(platform::NativePath(path).c_str(), "rb"));
    if (!file) {
        SD_WARNING(Debug::kLogData, "Could not open bitmap file %s", path.c_str());
        return false;
    }
    BmpHeader header;
    if (!ReadWholeHeader(file.get(), header)) {
        SD_WARNING(Debug::kLogData, "Bitmap file %s is shorter than its header", path.c_str());
        return false;
    }
    const int32_t width = int32_t(ReadU32(header, 18));
    const int32_t height = int32_t(ReadU32(header, 22));
    const unsigned bits = ReadU16(header, 28);
    // Rows of no pixels take no bytes, so the size check below would let any number of them
    // through: a zero width is refused unless there are no rows at all.
    if (ReadU16(header, 0) != kBmpType || width < 0 || height < 0 || (width == 0 && height > 0) ||
        bits != kBitsPerPixel) {
        SD_WARNING(Debug::kLogData, "Bitmap file %s is not a bottom-up 24-bit bitmap (%d x %d, %u bits)", path.c_str(),
                   width, height, bits);
        return false;
    }
    // The file must hold every row it promises; this also bounds the allocation below.
    const uint64_t rowSize = BmpRowSize(width);
    const uint64_t needed = kBmpHeaderSize + rowSize * uint64_t(height);
    const long size = FileSize(file.get());
    if (size < 0 || uint64_t(size) < needed) {
        SD_WARNING(Debug::kLogData, "Bitmap file %s holds %ld bytes, its %d x %d pixels need %llu", path.c_str(), size,
                   width, height, static_cast<unsigned long long>(needed));
        return false;
    }
    const size_t rowBytes = size_t(width) * 3;
    std::vector<unsigned char> rows(size_t(rowSize * uint64_t(height)));
    if (std::fread(rows.data(), 1, rows.size(), file.get()) != rows.size()) {
        SD_WARNING(Debug::kLogData, "Could not read the pixels of bitmap file %s", path.c_str());
        return false;
    }
    std::vector<unsigned char> pixels(rowBytes * size_t(height));
    for (size_t i = 0; i < size_t(height); ++i) {
        if (rowBytes) std::memcpy(&pixels[(size_t(height) - 1 - i) * rowBytes], &rows[i * rowSize], rowBytes);
    }
    image.pixels = std::move(pixels);
    image.width = width;
    image.height = height;
    return true;
}

bool WriteBmpFile(const std::string& path, BmpHeader header, const BmpImage& image) {
    if (image.width < 0 || image.height < 0) return false;
    const size_t rowBytes = size_t(image.width) * 3;
    if (image.pixels.size() < rowBytes * size_t(image.height)) {
        SD_WARNING(Debug::kLogData, "Bitmap image for %s has fewer pixels than %d x %d", path.c_str(), image.width,
                   image.height);
        return false;
    }
    const size_t rowSize = size_t(BmpRowSize(image.width));
    std::vector<unsigned char> rows(rowSize * size_t(image.height));
    for (size_t i = 0; i < size_t(image.height); ++i) {
        if (rowBytes)
            std::memcpy(&rows[i * rowSize], &image.pixels[(size_t(image.height) - 1 - i) * rowBytes], rowBytes);
    }
    return WriteWholeFile(path, header.data(), header.size(), rows.data(), rows.size());
}

}  // namespace SD
