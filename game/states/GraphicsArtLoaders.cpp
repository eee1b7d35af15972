#include "game/states/GraphicsArtLoaders.h"

#include "game/states/ArtLoading.h"
#include "graphics/Graphics.h"
#include "physics/MeshFile.h"

namespace QV {
namespace {

// Without a graphics system (a headless tool, say) every entry is passed over.
template <int (Aperture::Graphics_::*Load)(const std::string&)>
int LoadWithGraphics(const std::string& file) {
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    return graphics ? (graphics->*Load)(file) : 0;
}

// The built-in models bind the materials just loaded; made once, as a second visit to the
// loading screen finds them filed already.
void MakeBuiltInModels() {
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    if (graphics && !graphics->FindModel("water")) graphics->CreateBuiltInModels();
}

}  // namespace

void InstallGraphicsArtLoaders() {
    ArtLoaders& art = GetArtLoaders();
    if (!art.texture) art.texture = &LoadWithGraphics<&Aperture::Graphics_::LoadTextureFile>;
    if (!art.material) art.material = &LoadWithGraphics<&Aperture::Graphics_::LoadMaterialFile>;
    if (!art.model) art.model = &LoadWithGraphics<&Aperture::Graphics_::LoadModelFile>;
    if (!art.physicsMesh) art.physicsMesh = [](const std::string& file) { Gedankenexperiment::LoadPhysicsMesh(file); };
    if (!art.afterLoading) art.afterLoading = &MakeBuiltInModels;
}

}  // namespace QV
