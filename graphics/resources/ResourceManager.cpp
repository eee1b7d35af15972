#include "graphics/resources/ResourceManager.h"

#include <algorithm>

#include "graphics/resources/Effect.h"
#include "graphics/resources/Font.h"
#include "graphics/resources/Texture.h"
#include "graphics/resources/VolumeTexture.h"

namespace Aperture::Resource {
namespace {

ResourceManager* instance = nullptr;

constexpr uint32_t kFixedBufferSize = 512;

}  // namespace

template <class T> void ResourceManager::ReleaseAll(const std::vector<T*>& list) {
    for (T* r : list) {
        auto* v = static_cast<VolatileResource*>(r);
        if (v->created) v->created = !v->OnLostDevice();
    }
}

template <class T> void ResourceManager::RestoreAll(const std::vector<T*>& list) {
    for (T* r : list) {
        auto* v = static_cast<VolatileResource*>(r);
        if (!v->created) v->created = v->OnResetDevice();
    }
}

template <class T> void ResourceManager::DeleteAll(std::vector<T*>& list) {
    for (T* r : list) {
        auto* base = static_cast<iResource*>(r);
        if (base->loaded) base->loaded = !base->Unload();
    }
    for (T* r : list) delete r;
    list.clear();
}

ResourceManager* ResourceManager::GetInstance() { return instance; }

ResourceManager::ResourceManager() { instance = this; }

ResourceManager::~ResourceManager() {
    DeleteAll(fonts);
    DeleteAll(effects);
    DeleteAll(textures);
    DeleteAll(statics);
    if (instance == this) instance = nullptr;
}

void ResourceManager::SetDevice(platform::gfx::Device* d, const platform::gfx::PresentParameters& parameters,
                                uint32_t width, uint32_t height) {
    device = d;
    presentParameters = parameters;
    renderWidth = width;
    renderHeight = height;
}

// The texture list holds file textures and render buffers, both volatile.
void ResourceManager::ReleaseDeviceResources() {
    ReleaseAll(fonts);
    ReleaseAll(effects);
    ReleaseAll(textures);
}

void ResourceManager::RestoreDeviceResources() {
    RestoreAll(fonts);
    RestoreAll(effects);
    RestoreAll(textures);
}

Texture* ResourceManager::CreateTexture(const SD::FilePath& path) {
    auto* t = new Texture(path);
    textures.push_back(t);
    return t;
}

RenderBuffer* ResourceManager::CreateRenderBuffer() {
    auto* b = new RenderBuffer(kFixedBufferSize, kFixedBufferSize, platform::gfx::kFormatG32R32F,
                               presentParameters.multiSampleType != 0);
    textures.push_back(static_cast<iTexture*>(b));
    return b;
}

RenderBuffer* ResourceManager::CreateScaledRenderBuffer(float scaleX, float scaleY) {
    auto* b = new RenderBuffer(scaleX, scaleY, platform::gfx::kFormatA16B16G16R16F,
                               presentParameters.multiSampleType != 0);
    textures.push_back(static_cast<iTexture*>(b));
    return b;
}

VolumeTexture* ResourceManager::CreateVolumeTexture() {
    auto* v = new VolumeTexture();
    statics.push_back(v);
    return v;
}

Effect* ResourceManager::CreateEffect(const SD::FilePath& path) {
    auto* e = new Effect(path);
    effects.push_back(e);
    return e;
}

Font* ResourceManager::CreateFont(const std::string& face, uint32_t width, uint32_t height) {
    auto* f = new Font(face, width, height);
    fonts.push_back(f);
    return f;
}

void ResourceManager::RemoveEffect(Effect* effect) {
    auto it = std::find(effects.begin(), effects.end(), effect);
    if (it == effects.end()) return;
    effects.erase(it);
    auto* base = static_cast<iResource*>(effect);
    if (base->loaded) base->loaded = !base->Unload();
    delete effect;
}

}  // namespace Aperture::Resource
