// modelwriter <description> <model file>: writes the chunked model file of a description.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tools/modelwriter/ModelWriter.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: modelwriter <description> <model file>\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "modelwriter: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<modelwriter::MeshDescription> meshes;
    std::string error;
    if (!modelwriter::ParseDescription(text.str(), meshes, error)) {
        std::fprintf(stderr, "modelwriter: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    const std::vector<unsigned char> bytes = modelwriter::ModelFileBytes(meshes);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "modelwriter: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
