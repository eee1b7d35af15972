#include "graphics/resources/Vertex.h"

#include "core/ErrorReport.h"
#include "graphics/resources/ResourceManager.h"

namespace Aperture::Resource {
namespace {

using Elements = std::vector<platform::gfx::VertexElement>;

platform::gfx::VertexElement E(uint16_t stream, uint16_t offset, uint8_t type, uint8_t usage, uint8_t index) {
    return {stream, offset, type, 0, usage, index};
}

Elements MeshStream() {
    return {E(0, 0, kDeclFloat3, kUsagePosition, 0), E(0, 12, kDeclFloat3, kUsageNormal, 0),
            E(0, 24, kDeclFloat2, kUsageTexCoord, 0), E(0, 32, kDeclFloat3, kUsageTangent, 0),
            E(0, 44, kDeclFloat3, kUsageBinormal, 0)};
}

Elements WithInstances(Elements instance) {
    Elements all = MeshStream();
    all.insert(all.end(), instance.begin(), instance.end());
    return all;
}

// Four float4 rows of a transform as texture coordinates 1 to 4, then a colour.
Elements TransformAndColor() {
    return {E(1, 0, kDeclFloat4, kUsageTexCoord, 1), E(1, 16, kDeclFloat4, kUsageTexCoord, 2),
            E(1, 32, kDeclFloat4, kUsageTexCoord, 3), E(1, 48, kDeclFloat4, kUsageTexCoord, 4),
            E(1, 64, kDeclFloat4, kUsageColor, 0)};
}

}  // namespace

template <>
const Elements& TemplateVertex<MeshVertex>::Elements() {
    static const ::Aperture::Resource::Elements table = MeshStream();
    return table;
}
template <>
const Elements& TemplateVertex<DefaultVertex>::Elements() {
    static const ::Aperture::Resource::Elements table = MeshStream();
    return table;
}
template <>
const Elements& TemplateVertex<DebugVertex>::Elements() {
    static const ::Aperture::Resource::Elements table = {E(0, 0, kDeclFloat3, kUsagePosition, 0)};
    return table;
}
template <>
const Elements& TemplateVertex<MeshVertexInst>::Elements() {
    static const ::Aperture::Resource::Elements table = WithInstances(TransformAndColor());
    return table;
}
template <>
const Elements& TemplateVertex<GrassVertex>::Elements() {
    static const ::Aperture::Resource::Elements table =
        WithInstances({E(1, 0, kDeclFloat3, kUsageTexCoord, 1), E(1, 12, kDeclUByte4N, kUsageTexCoord, 2),
                       E(1, 16, kDeclUByte4, kUsageTexCoord, 3)});
    return table;
}
// Texture coordinate 5 reads four floats from offset 80, so its last float is the first of
// texture coordinate 6: the record is 120 bytes.
template <>
const Elements& TemplateVertex<LightVertex>::Elements() {
    static const ::Aperture::Resource::Elements table = [] {
        ::Aperture::Resource::Elements instance = TransformAndColor();
        instance.push_back(E(1, 80, kDeclFloat4, kUsageTexCoord, 5));
        instance.push_back(E(1, 92, kDeclFloat2, kUsageTexCoord, 6));
        instance.push_back(E(1, 100, kDeclFloat3, kUsageTexCoord, 7));
        instance.push_back(E(1, 112, kDeclFloat2, kUsageTexCoord, 8));
        return WithInstances(instance);
    }();
    return table;
}
template <>
const Elements& TemplateVertex<ParticleVertex>::Elements() {
    static const ::Aperture::Resource::Elements table =
        WithInstances({E(1, 0, kDeclFloat3, kUsageTexCoord, 1), E(1, 12, kDeclFloat4, kUsageColor, 0),
                       E(1, 28, kDeclUByte4, kUsageTexCoord, 2)});
    return table;
}
template <>
const Elements& TemplateVertex<QuadParticleVertex>::Elements() {
    static const ::Aperture::Resource::Elements table = [] {
        ::Aperture::Resource::Elements instance = TransformAndColor();
        instance.push_back(E(1, 80, kDeclFloat1, kUsageTexCoord, 5));
        return WithInstances(instance);
    }();
    return table;
}

template <>
uint32_t TemplateVertex<MeshVertex>::InstanceStride() {
    return 0;
}
template <>
uint32_t TemplateVertex<DefaultVertex>::InstanceStride() {
    return 0;
}
template <>
uint32_t TemplateVertex<DebugVertex>::InstanceStride() {
    return 0;
}
template <>
uint32_t TemplateVertex<MeshVertexInst>::InstanceStride() {
    return 80;
}
template <>
uint32_t TemplateVertex<GrassVertex>::InstanceStride() {
    return 20;
}
template <>
uint32_t TemplateVertex<LightVertex>::InstanceStride() {
    return 120;
}
template <>
uint32_t TemplateVertex<ParticleVertex>::InstanceStride() {
    return 32;
}
template <>
uint32_t TemplateVertex<QuadParticleVertex>::InstanceStride() {
    return 84;
}

template <class T>
bool TemplateVertex<T>::Load() {
    ResourceManager* manager = ResourceManager::GetInstance();
    platform::gfx::Device* device = manager ? manager->GetDevice() : nullptr;
    if (declaration) return true;
    if (!device || platform::gfx::Failed(device->CreateVertexDeclaration(Elements(), &declaration))) {
        declaration = nullptr;
        const char* noMessage = nullptr;
        Debug::ShowErrorBox("graphics\\Vertex", 127, noMessage);
    }
    return true;
}

template <class T>
bool TemplateVertex<T>::Unload() {
    if (declaration) declaration->Release();
    declaration = nullptr;
    return true;
}

template class TemplateVertex<MeshVertex>;
template class TemplateVertex<MeshVertexInst>;
template class TemplateVertex<GrassVertex>;
template class TemplateVertex<DefaultVertex>;
template class TemplateVertex<DebugVertex>;
template class TemplateVertex<LightVertex>;
template class TemplateVertex<ParticleVertex>;
template class TemplateVertex<QuadParticleVertex>;

}  // namespace Aperture::Resource
