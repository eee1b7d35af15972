#pragma once
// The one volume texture of the particle effects, kept where the device keeps it across a
// reset.
#include <cstdint>

#include "core/FilePath.h"
#include "graphics/resources/Resource.h"
#include "platform/gfx/Objects.h"

namespace Aperture::Resource {

class VolumeTexture : public iResource {
public:
    // The file it is always read from.
    static const char* const kPath;

    ~VolumeTexture() override;
    // A file that does not read is logged and leaves the texture unloaded.
    bool Load() override;
    bool Unload() override;
    platform::gfx::VolumeTexture* GetTexture() const { return texture; }
    uint32_t GetDepth() const { return depth; }

private:
    friend class ResourceManager;
    VolumeTexture();
    platform::gfx::VolumeTexture* texture = nullptr;
    SD::FilePath file;
    uint32_t depth = 0;
};

}  // namespace Aperture::Resource
