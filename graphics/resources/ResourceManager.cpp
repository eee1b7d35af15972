#include "graphics/resources/ResourceManager.h"

#include <algorithm>

#include "graphics/resources/Effect.h"
#include "graphics/resources/Font.h"
#include "graphics/resources/Material.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Texture.h"
#include "graphics/resources/VolumeTexture.h"

namespace Aperture::Resource {
namespace {

ResourceManager* instance = nullptr;

}  // namespace

template <class T>
void ResourceManager::ReleaseAll(const std::vector<T*>& list) {
    for (T* r : list) {
        auto* v = static_cast<VolatileResource*>(r);
        if (v->created) v->created = !v->OnLostDevice();
    }
}

template <class T>
void ResourceManager::RestoreAll(const std::vector<T*>& list) {
    for (T* r : list) {
        auto* v = static_cast<VolatileResource*>(r);
        if (!v->created) v->created = v->OnResetDevice();
    }
}

template <class T>
void ResourceManager::DeleteAll(std::vector<T*>& list) {
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
    DeleteAll(materials);
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
    ReleaseAll(materials);
    ReleaseAll(fonts);
    ReleaseAll(effects);
    ReleaseAll(textures);
    for (iResource* b : deviceBuffers)
        if (b->loaded) b->loaded = !b->Unload();
}

// Materials come last: they bind the effects and textures re-created before them.
void ResourceManager::RestoreDeviceResources() {
    RestoreAll(fonts);
    RestoreAll(effects);
    RestoreAll(textures);
    for (iResource* b : deviceBuffers)
        if (!b->loaded) b->loaded = b->Load();
    RestoreAll(materials);
}

Texture* ResourceManager::CreateTexture(const SD::FilePath& path) {
    auto* t = new Texture(path);
    textures.push_back(t);
    return t;
}

RenderBuffer* ResourceManager::CreateRenderBuffer(uint32_t width, uint32_t height, uint32_t format,
                                                  bool depthOfItsOwn) {
    auto* b = new RenderBuffer(width, height, format, presentParameters.multiSampleType != 0, depthOfItsOwn);
    textures.push_back(static_cast<iTexture*>(b));
    return b;
}

RenderBuffer* ResourceManager::CreateScaledRenderBuffer(float scaleX, float scaleY, uint32_t format,
                                                        bool depthOfItsOwn) {
    auto* b = new RenderBuffer(scaleX, scaleY, format, presentParameters.multiSampleType != 0, depthOfItsOwn);
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

VertexBuffer<MeshVertex>* ResourceManager::CreateVertexBuffer(uint32_t vertexCount) {
    auto* b = new VertexBuffer<MeshVertex>(vertexCount);
    statics.push_back(b);
    return b;
}

IndexBuffer* ResourceManager::CreateIndexBuffer(const uint16_t* indices, uint16_t count) {
    auto* b = new IndexBuffer(indices, count);
    statics.push_back(b);
    deviceBuffers.push_back(b);
    return b;
}

template <class T>
static T* Listed(std::vector<iResource*>& list, T* object) {
    list.push_back(object);
    return object;
}

Mesh* ResourceManager::CreateMesh() { return Listed(statics, new Mesh()); }

Plane* ResourceManager::CreatePlane(uint32_t segmentsU, uint32_t segmentsV, const SD::Vec3& origin,
                                    const SD::Vec3& axisU, const SD::Vec3& axisV, const SD::Vec3& normal) {
    return Listed(statics, new Plane(segmentsU, segmentsV, origin, axisU, axisV, normal));
}

Sphere* ResourceManager::CreateSphere(uint32_t slices, uint32_t stacks, const SD::Vec3& centre, float radius) {
    return Listed(statics, new Sphere(slices, stacks, centre, radius));
}

CubeSphere* ResourceManager::CreateCubeSphere(uint32_t subdivisions) {
    return Listed(statics, new CubeSphere(subdivisions));
}

Cone* ResourceManager::CreateCone(uint32_t slices) { return Listed(statics, new Cone(slices)); }

Model* ResourceManager::CreateModel() { return Listed(statics, new Model()); }

Model* ResourceManager::CreateModel(const SD::FilePath& path, const MaterialLookup& findMaterial) {
    return Listed(statics, new Model(path, findMaterial));
}

Material* ResourceManager::CreateMaterial(const SD::FilePath& path) {
    auto* m = new Material(path);
    materials.push_back(m);
    return m;
}

void ResourceManager::ReloadMaterialsUsing(const Effect* effect) {
    for (Material* m : materials) {
        if (!m->UsesEffect(effect)) continue;
        if (m->created) m->created = !m->OnLostDevice();
        if (!m->created) m->created = m->OnResetDevice();
    }
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
