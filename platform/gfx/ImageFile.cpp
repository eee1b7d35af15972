#include "platform/gfx/ImageFile.h"

#include <png.h>

#include <cstring>
#include <fstream>

#include "platform/gfx/Device.h"

namespace platform::gfx {
namespace {

constexpr char kRawMagic[4] = {'Q', 'V', 'I', 'M'};
constexpr size_t kRawHeader = 16;

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void WriteU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool SizeAllowed(uint32_t w, uint32_t h, uint32_t d, std::string& error) {
    if (w == 0 || h == 0 || d == 0 || w > kMaxImageSide || h > kMaxImageSide || d > kMaxImageSide) {
        error = "image size " + std::to_string(w) + "x" + std::to_string(h) + "x" + std::to_string(d) +
                " is outside 1 to " + std::to_string(kMaxImageSide);
        return false;
    }
    if (uint64_t{w} * h * d * 4 > kMaxImageBytes) {
        error = "image larger than " + std::to_string(kMaxImageBytes) + " bytes";
        return false;
    }
    return true;
}

bool DecodeRaw(const uint8_t* data, size_t size, Image& out, std::string& error) {
    if (size < kRawHeader) {
        error = "raw image header cut short";
        return false;
    }
    uint32_t w = ReadU32(data + 4), h = ReadU32(data + 8), d = ReadU32(data + 12);
    if (!SizeAllowed(w, h, d, error)) return false;
    const size_t bytes = size_t{w} * h * d * 4;
    if (size - kRawHeader != bytes) {
        error = "raw image holds " + std::to_string(size - kRawHeader) + " pixel bytes, its size needs " +
                std::to_string(bytes);
        return false;
    }
    out.width = w;
    out.height = h;
    out.depth = d;
    out.pixels.assign(data + kRawHeader, data + size);
    return true;
}

bool DecodePng(const uint8_t* data, size_t size, Image& out, std::string& error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        error = std::string("PNG: ") + image.message;
        return false;
    }
    if (!SizeAllowed(image.width, image.height, 1, error)) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        error = std::string("PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    out.width = image.width;
    out.height = image.height;
    out.depth = 1;
    out.pixels = std::move(pixels);
    return true;
}

}  // namespace

bool DecodeImage(const uint8_t* data, size_t size, Image& out, std::string& error) {
    static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (data && size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) return DecodePng(data, size, out, error);
    if (data && size >= 4 && std::memcmp(data, kRawMagic, 4) == 0) return DecodeRaw(data, size, out, error);
    error = "not a PNG or raw image";
    return false;
}

bool ReadImageFile(const std::string& path, Image& out, std::string& error) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    const std::streamoff size = file.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > kMaxImageBytes + kRawHeader) {
        error = path + ": file too large";
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.seekg(0);
    file.read(reinterpret_cast<char*>(bytes.data()), size);
    bytes.resize(static_cast<size_t>(file.gcount()));
    if (!DecodeImage(bytes.data(), bytes.size(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::vector<uint8_t> EncodeRawImage(const Image& image) {
    std::vector<uint8_t> out(kRawMagic, kRawMagic + 4);
    WriteU32(out, image.width);
    WriteU32(out, image.height);
    WriteU32(out, image.depth);
    out.insert(out.end(), image.pixels.begin(), image.pixels.end());
    return out;
}

Result CreateTextureFromFile(Device* device, const std::string& path, uint32_t usage, Pool pool, Texture** out,
                             std::string* error) {
    if (!device || !out) return kInvalidCall;
    Image image;
    std::string why;
    if (!ReadImageFile(path, image, why) || image.depth != 1) {
        if (error) *error = why.empty() ? path + ": a volume image is not a texture" : why;
        return std::ifstream(path).good() ? kInvalidCall : kNotFound;
    }
    Texture* texture = nullptr;
    if (Result r = device->CreateTexture(image.width, image.height, 1, usage & ~kUsageRenderTarget, kFormatA8R8G8B8,
                                         pool, &texture);
        Failed(r))
        return r;
    LockedRect rect;
    texture->LockRect(0, rect);
    std::memcpy(rect.bits, image.pixels.data(), image.pixels.size());
    texture->UnlockRect(0);
    *out = texture;
    return kOk;
}

Result CreateVolumeTextureFromFile(Device* device, const std::string& path, Pool pool, VolumeTexture** out,
                                   std::string* error) {
    if (!device || !out) return kInvalidCall;
    Image image;
    std::string why;
    if (!ReadImageFile(path, image, why)) {
        if (error) *error = why;
        return std::ifstream(path).good() ? kInvalidCall : kNotFound;
    }
    VolumeTexture* texture = nullptr;
    if (Result r = device->CreateVolumeTexture(image.width, image.height, image.depth, kFormatA8R8G8B8, pool, &texture);
        Failed(r))
        return r;
    LockedBox box;
    texture->LockBox(0, box);
    std::memcpy(box.bits, image.pixels.data(), image.pixels.size());
    texture->UnlockBox(0);
    *out = texture;
    return kOk;
}

}  // namespace platform::gfx
