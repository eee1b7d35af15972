// Feeds arbitrary text to the manifest reader, as a file and line by line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/Manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_manifest_" + std::to_string(static_cast<long>(getpid())) + ".man";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    std::vector<std::string> files;
    SD::ReadManifest(path, files);

    std::string line(reinterpret_cast<const char*>(data), size);
    line.resize(SD::kManifestLineLength - 1 < size ? SD::kManifestLineLength - 1 : size);
    line.push_back('\0');
    SD::StripLineComment(&line[0]);
    char* value = nullptr;
    SD::ParseManifestLine(&line[0], value);
    return 0;
}
