// Feeds arbitrary bytes to normal-map generation as a height-map file: a map it accepts must
// come back the size of its headers and padded rows.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/NormalMaps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<unsigned char> heights(data, data + size);
    std::vector<unsigned char> normals;
    std::string error;
    if (Aperture::GenerateNormalMap(heights, normals, error) && normals.size() > heights.size()) std::abort();
    return 0;
}
