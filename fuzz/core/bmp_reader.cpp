// Feeds arbitrary bytes to the bitmap reader as a file.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/Bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_bmp_reader_" + std::to_string(getpid()) + ".bmp";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    SD::BmpImage image;
    if (SD::ReadBmpFile(image, path) && image.pixels.size() != size_t(image.width) * size_t(image.height) * 3)
        __builtin_trap();
    return 0;
}
