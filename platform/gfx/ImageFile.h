#pragma once
// Texture files read into real pixels: PNG images, and the engine's own raw image file, which
// also holds volume images:
//   "QVIM", then u32 width, height, depth (little-endian), then width x height x depth pixels
//   of 4 bytes (blue, green, red, alpha), rows top to bottom, slices front to back.
// The reader looks at the content, not the file name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/Objects.h"
#include "platform/gfx/Types.h"

namespace platform::gfx {

class Device;

constexpr uint32_t kMaxImageSide = 16384;
constexpr size_t kMaxImageBytes = size_t{256} << 20;

// Pixels as 32-bit words 0xAARRGGBB in memory order (blue first).
struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 1;
    std::vector<uint8_t> pixels;
};

// False with the reason in error for data that is neither format or is damaged.
bool DecodeImage(const uint8_t* data, size_t size, Image& out, std::string& error);
bool ReadImageFile(const std::string& path, Image& out, std::string& error);
// The raw file's bytes for an image (used to write sample assets and test files).
std::vector<uint8_t> EncodeRawImage(const Image& image);

// A texture of the file's own size in A8R8G8B8 holding the file's pixels in level 0.
// kNotFound for a missing file, kInvalidCall for one that does not decode or is a volume.
Result CreateTextureFromFile(Device* device, const std::string& path, uint32_t usage, Pool pool, Texture** out,
                             std::string* error = nullptr);
Result CreateVolumeTextureFromFile(Device* device, const std::string& path, Pool pool, VolumeTexture** out,
                                   std::string* error = nullptr);

}  // namespace platform::gfx
