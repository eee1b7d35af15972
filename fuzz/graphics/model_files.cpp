// Feeds arbitrary bytes to the model-file reader: every mesh it keeps must be whole and
// indexed inside its vertices.
#include <cstdint>
#include <cstdlib>

#include "graphics/resources/ModelFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Aperture::Resource::ModelFileContents read = Aperture::Resource::ParseModelFile(data, size);
    for (const Aperture::Resource::ModelMeshData& mesh : read.meshes) {
        if (mesh.vertices.size() < 3 || mesh.indices.size() < 3 || mesh.vertices.size() > 65535) std::abort();
        for (uint16_t i : mesh.indices)
            if (i >= mesh.vertices.size()) std::abort();
    }
    return 0;
}
