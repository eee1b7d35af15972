#pragma once
// A model: the meshes read from one model file, each linked to the material that bears its
// name. The meshes belong to the resource manager; the model keeps references to them.
#include <functional>
#include <string>
#include <vector>

#include "core/FilePath.h"
#include "graphics/resources/Resource.h"

namespace Aperture::Resource {

class Material;
class Mesh;

// The material filed under a name, or null.
using MaterialLookup = std::function<Material*(const std::string&)>;

class iModel : public iResource {
public:
    bool Unload() override { return true; }
    bool Load() override { return true; }
    const std::vector<Mesh*>& GetMeshes() const { return meshes; }
    void AddMesh(Mesh* mesh) { meshes.push_back(mesh); }
    const std::string& GetName() const { return name; }
    void SetName(const std::string& n) { name = n; }

protected:
    std::vector<Mesh*> meshes;
    std::string name;
};

class Model : public iModel {
public:
    // An empty model, filled by its creator.
    Model() = default;
    // Reads the whole file. A file that cannot be read gives a model without meshes; every mesh
    // or chunk left out is logged with the file's name. A mesh whose name has no material is
    // kept, without a material, and logged.
    Model(const SD::FilePath& file, const MaterialLookup& findMaterial);
};

}  // namespace Aperture::Resource
