#include "graphics/resources/VolumeTexture.h"

#include <string>

#include "core/Logger.h"
#include "graphics/resources/ResourceManager.h"
#include "platform/gfx/ImageFile.h"

namespace Aperture::Resource {

const char* const VolumeTexture::kPath = "../Graphics/ParticleAssets/volume_test.dds";

VolumeTexture::VolumeTexture() : file(kPath) { loaded = Load(); }

VolumeTexture::~VolumeTexture() {
    if (texture) texture->Release();
}

bool VolumeTexture::Load() {
    ResourceManager* manager = ResourceManager::GetInstance();
    if (!manager || !manager->GetDevice()) return false;
    std::string error;
    if (platform::gfx::Failed(platform::gfx::CreateVolumeTextureFromFile(
            manager->GetDevice(), file.fullPath, platform::gfx::Pool::kManaged, &texture, &error))) {
        SD_WARNING(Debug::kLogError, "Volume texture \"%s\" not loaded: %s", file.fullPath, error.c_str());
        texture = nullptr;
        return false;
    }
    depth = texture->Depth();
    return true;
}

bool VolumeTexture::Unload() {
    if (!texture) return true;
    uint32_t left = texture->Release();
    texture = nullptr;
    return left == 0;
}

}  // namespace Aperture::Resource
