// sxpack: writes a file package from a folder of sound banks and streamed media.
//   sxpack <folder> <out.sxpk> [--block-size N]
// Files at the top of the folder serve every language; each sub-folder holds the files of
// the language it is named after.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sound/stream/package/SxPackageWriter.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    uint32_t blockSize = 16;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--block-size" && i + 1 < args.size())
            blockSize = static_cast<uint32_t>(std::atoi(args[++i].c_str()));
        else
            positional.push_back(args[i]);
    }
    if (positional.size() != 2) {
        std::fprintf(stderr, "usage: sxpack <folder> <out.sxpk> [--block-size N]\n");
        return 2;
    }
    std::vector<SX::SxPackageInput> files;
    std::string error;
    if (!SX::CollectPackageFolder(positional[0], files, error) ||
        !SX::WritePackage(files, blockSize, positional[1], error)) {
        std::fprintf(stderr, "sxpack: %s\n", error.c_str());
        return 1;
    }
    std::printf("sxpack: %zu files packed into %s\n", files.size(), positional[1].c_str());
    return 0;
}
