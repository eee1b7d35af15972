// Feeds arbitrary bytes to the texture-file decoder (PNG and the raw image file).
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gfx/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::gfx::Image image;
    std::string error;
    if (platform::gfx::DecodeImage(data, size, image, error)) {
        const size_t expected = size_t{image.width} * image.height * image.depth * 4;
        if (image.pixels.size() != expected) __builtin_trap();
    }
    return 0;
}
