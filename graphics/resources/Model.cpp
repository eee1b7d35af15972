#include "graphics/resources/Model.h"

#include "core/FileUtil.h"
#include "core/Logger.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/ModelFile.h"
#include "graphics/resources/ResourceManager.h"

namespace Aperture::Resource {

Model::Model(const SD::FilePath& file, const MaterialLookup& findMaterial) {
    std::vector<unsigned char> bytes;
    if (!SD::ReadWholeFile(file.fullPath, bytes)) {
        SD_WARNING(Debug::kLogError, "Model file \"%s\" could not be read; the model has no meshes", file.fullPath);
        return;
    }
    ModelFileContents contents = ParseModelFile(bytes.data(), bytes.size());
    for (const std::string& error : contents.errors)
        SD_WARNING(Debug::kLogError, "Model file \"%s\": %s; left out", file.fullPath, error.c_str());
    if (contents.meshes.empty() && contents.errors.empty())
        SD_WARNING(Debug::kLogError, "Model file \"%s\" holds no meshes; the model draws nothing", file.fullPath);
    ResourceManager* manager = ResourceManager::GetInstance();
    if (!manager) return;
    for (ModelMeshData& data : contents.meshes) {
        Mesh* mesh = manager->CreateMesh();
        mesh->SetName(data.name);
        if (!mesh->SetMeshData(data.vertices, data.indices)) continue;
        mesh->SetCentroid(data.centroid);
        Material* material = findMaterial ? findMaterial(data.name) : nullptr;
        if (material) {
            mesh->SetMaterial(material);
            mesh->SetName(material->GetName());
        } else {
            SD_WARNING(Debug::kLogError, "Model file \"%s\": mesh \"%s\" names no loaded material; it has none",
                       file.fullPath, data.name.c_str());
        }
        meshes.push_back(mesh);
    }
}

}  // namespace Aperture::Resource
