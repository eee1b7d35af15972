// Feeds arbitrary bytes to the height-map loader as a bitmap file, then runs spheres over the
// map at sizes and heights taken from the first bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "physics/PairTests.h"

namespace {

// A folder shaped like the game's install, entered at its bin folder once.
void EnterTree() {
    static const bool entered = [] {
        char pattern[] = "/tmp/qv_fuzz_heightmaps_XXXXXX";
        const std::string root = mkdtemp(pattern) ? pattern : "/tmp";
        std::filesystem::create_directories(root + "/bin");
        std::filesystem::create_directories(root + "/Assets/textures/HeightMaps");
        return chdir((root + "/bin").c_str()) == 0;
    }();
    (void)entered;
}

float FloatAt(const uint8_t* data, size_t size, size_t at) {
    float f = 0.0f;
    if (at + 4 <= size) std::memcpy(&f, data + at, 4);
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Gedankenexperiment;
    EnterTree();
    FILE* file = std::fopen("../Assets/textures/HeightMaps/fuzz.bmp", "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    HeightMap map;
    map.Load("fuzz");
    map.sizeX = FloatAt(data, size, 18);
    map.sizeZ = FloatAt(data, size, 22);
    map.heightScale = FloatAt(data, size, 26);
    if (map.IsUsable() && map.pixels.size() != size_t(map.width) * size_t(map.height) * 3) __builtin_trap();
    Sphere sphere;
    sphere.radius = 1.0f;
    ContactTable contacts;
    for (float x : {-50.0f, -1.0f, 0.0f, 3.0f, 40.0f})
        for (float y : {-5.0f, 0.5f, 10.0f})
            for (float z : {-30.0f, 0.0f, 7.0f}) SphereHeightMap(sphere, SD::Vec3(x, y, z), map, SD::Vec3(), contacts);
    return 0;
}
