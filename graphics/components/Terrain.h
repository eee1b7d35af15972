#pragma once
// Names the material with which the terrain pass draws its object. Joins the graphics system's
// terrain list while registered; the material is looked up at each registration.
#include <string>

#include "engine/Component.h"
#include "engine/IntrusiveList.h"

namespace Aperture {

namespace Resource {
class Material;
}

class Terrain : public SD::Component {
public:
    static constexpr const char* kDefaultMaterial = "mountain_0_terrain";

    Terrain() { SetID(SD::kTerrainID); }

    SD::ComponentID VGetID() const override { return SD::kTerrainID; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;

    const std::string& GetMaterialName() const { return materialName; }
    void SetMaterialName(const std::string& name) { materialName = name; }
    // Null while unregistered, or when the name files no loaded material.
    Resource::Material* GetMaterial() const { return material; }
    void SetMaterial(Resource::Material* m) { material = m; }

    SD::IntrusiveLink<Terrain> graphicsLink;

private:
    std::string materialName = kDefaultMaterial;
    Resource::Material* material = nullptr;
};

}  // namespace Aperture
