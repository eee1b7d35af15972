#pragma once
// The one resource manager: builds every resource through its factories (which leave it
// loaded or failed), keeps it in the list of its kind, releases the volatile ones when the
// device is lost and re-creates them after a reset, and deletes everything at the end.
#include <cstdint>
#include <string>
#include <vector>

#include "core/FilePath.h"
#include "platform/gfx/Device.h"

namespace Aperture::Resource {

class iResource;
class Effect;
class Font;
class RenderBuffer;
class Texture;
class VolumeTexture;

class ResourceManager {
public:
    // The live manager, or null.
    static ResourceManager* GetInstance();

    ResourceManager();
    ~ResourceManager();
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    // The device layer stores these at creation and after every successful reset.
    void SetDevice(platform::gfx::Device* device, const platform::gfx::PresentParameters& parameters,
                   uint32_t renderWidth, uint32_t renderHeight);
    platform::gfx::Device* GetDevice() const { return device; }
    const platform::gfx::PresentParameters& GetPresentParameters() const { return presentParameters; }
    uint32_t GetRenderWidth() const { return renderWidth; }
    uint32_t GetRenderHeight() const { return renderHeight; }

    // Fonts, effects and textures (render buffers included) give up their device objects;
    // each is walked only when it holds one, so releasing twice does nothing.
    void ReleaseDeviceResources();
    // After a successful reset: fonts, effects, textures, each that is not created.
    void RestoreDeviceResources();

    Texture* CreateTexture(const SD::FilePath& path);
    // 512 x 512, two 32-bit float channels.
    RenderBuffer* CreateRenderBuffer();
    // A fraction of the render size, four 16-bit float channels; follows the render size.
    RenderBuffer* CreateScaledRenderBuffer(float scaleX, float scaleY);
    VolumeTexture* CreateVolumeTexture();
    Effect* CreateEffect(const SD::FilePath& path);
    Font* CreateFont(const std::string& face, uint32_t width, uint32_t height);

    // Deletes a listed effect (unloading it first); anything else is left alone.
    void RemoveEffect(Effect* effect);

    const std::vector<iResource*>& GetStaticResources() const { return statics; }
    const std::vector<Effect*>& GetEffects() const { return effects; }
    const std::vector<iResource*>& GetTextures() const { return textures; }
    const std::vector<Font*>& GetFonts() const { return fonts; }

private:
    template <class T> static void ReleaseAll(const std::vector<T*>& list);
    template <class T> static void RestoreAll(const std::vector<T*>& list);
    template <class T> static void DeleteAll(std::vector<T*>& list);

    std::vector<iResource*> statics;
    std::vector<Effect*> effects;
    std::vector<iResource*> textures;  // file textures and render buffers
    std::vector<Font*> fonts;
    platform::gfx::Device* device = nullptr;
    platform::gfx::PresentParameters presentParameters;
    uint32_t renderWidth = 0;
    uint32_t renderHeight = 0;
};

}  // namespace Aperture::Resource
