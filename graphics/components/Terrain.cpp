#include "graphics/components/Terrain.h"

#include "engine/IStream.h"
#include "graphics/Graphics.h"

namespace Aperture {

void Terrain::VSerialize(SD::IStream& stream, int) { stream.Serialize(materialName, "Material Name", "String"); }

void Terrain::VRegister() { Graphics_::GetInstance()->AddTerrain(this); }

void Terrain::VUnregister() {
    if (Graphics_* graphics = Graphics_::Peek()) graphics->RemoveTerrain(this);
    material = nullptr;
}

}  // namespace Aperture
