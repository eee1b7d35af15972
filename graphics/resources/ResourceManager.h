#pragma once
// The one resource manager: builds every resource through its factories (which leave it
// loaded or failed), keeps it in the list of its kind, releases the volatile ones when the
// device is lost and re-creates them after a reset, and deletes everything at the end.
#include <cstdint>
#include <string>
#include <vector>

#include "core/FilePath.h"
#include "core/Vector.h"
#include "graphics/resources/Buffers.h"
#include "graphics/resources/Model.h"
#include "platform/gfx/Device.h"

namespace Aperture::Resource {

class iResource;
class Effect;
class Font;
class Material;
class Mesh;
class Plane;
class Sphere;
class CubeSphere;
class Cone;
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
    // Of a fixed size, 512 x 512 in two 32-bit float channels unless told otherwise; one that
    // draws with a depth test of its own size has a depth surface of its own, bound with it.
    RenderBuffer* CreateRenderBuffer(uint32_t width = 512, uint32_t height = 512,
                                     uint32_t format = platform::gfx::kFormatG32R32F, bool depthOfItsOwn = false);
    // A fraction of the render size, four 16-bit float channels unless told otherwise; follows
    // the render size, and so does its depth surface when it has one of its own.
    RenderBuffer* CreateScaledRenderBuffer(float scaleX, float scaleY,
                                           uint32_t format = platform::gfx::kFormatA16B16G16R16F,
                                           bool depthOfItsOwn = false);
    VolumeTexture* CreateVolumeTexture();
    Effect* CreateEffect(const SD::FilePath& path);
    Font* CreateFont(const std::string& face, uint32_t width, uint32_t height);

    // Geometry. Index and instance buffers live in the default pool: they are released when
    // the device is lost and loaded again after the reset.
    VertexBuffer<MeshVertex>* CreateVertexBuffer(uint32_t vertexCount);
    IndexBuffer* CreateIndexBuffer(const uint16_t* indices, uint16_t count);
    template <class T>
    InstanceBuffer<T>* CreateInstanceBuffer() {
        auto* b = new InstanceBuffer<T>();
        statics.push_back(b);
        deviceBuffers.push_back(b);
        return b;
    }
    template <class T>
    T* CreateVertexFormat() {
        auto* v = new T();
        v->loaded = v->Load();
        statics.push_back(v);
        return v;
    }
    Mesh* CreateMesh();
    Plane* CreatePlane(uint32_t segmentsU, uint32_t segmentsV, const SD::Vec3& origin, const SD::Vec3& axisU,
                       const SD::Vec3& axisV, const SD::Vec3& normal);
    Sphere* CreateSphere(uint32_t slices, uint32_t stacks, const SD::Vec3& centre, float radius);
    CubeSphere* CreateCubeSphere(uint32_t subdivisions);
    Cone* CreateCone(uint32_t slices);
    // An empty model, or one read from a model file.
    Model* CreateModel();
    Model* CreateModel(const SD::FilePath& path, const MaterialLookup& findMaterial);
    Material* CreateMaterial(const SD::FilePath& path);
    // Releases and reads again every material with a pass on the effect, so that it binds
    // what is now filed under the effect's name.
    void ReloadMaterialsUsing(const Effect* effect);
    const std::vector<Material*>& GetMaterials() const { return materials; }
    const std::vector<iResource*>& GetDeviceBuffers() const { return deviceBuffers; }

    // Deletes a listed effect (unloading it first); anything else is left alone.
    void RemoveEffect(Effect* effect);

    const std::vector<iResource*>& GetStaticResources() const { return statics; }
    const std::vector<Effect*>& GetEffects() const { return effects; }
    const std::vector<iResource*>& GetTextures() const { return textures; }
    const std::vector<Font*>& GetFonts() const { return fonts; }

private:
    template <class T>
    static void ReleaseAll(const std::vector<T*>& list);
    template <class T>
    static void RestoreAll(const std::vector<T*>& list);
    template <class T>
    static void DeleteAll(std::vector<T*>& list);

    std::vector<iResource*> statics;
    std::vector<Effect*> effects;
    std::vector<iResource*> textures;  // file textures and render buffers
    std::vector<Font*> fonts;
    std::vector<Material*> materials;
    std::vector<iResource*> deviceBuffers;  // also in statics, which owns them
    platform::gfx::Device* device = nullptr;
    platform::gfx::PresentParameters presentParameters;
    uint32_t renderWidth = 0;
    uint32_t renderHeight = 0;
};

}  // namespace Aperture::Resource
