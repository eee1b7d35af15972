#pragma once
// Vertex formats. Each format owns one class-wide vertex declaration, shared by everything that
// draws with it. Every format puts the 56-byte mesh vertex on stream 0; the instanced formats
// add one record per instance on stream 1.
#include <cstdint>
#include <vector>

#include "core/Vector.h"
#include "graphics/resources/Resource.h"
#include "platform/gfx/Objects.h"

namespace Aperture::Resource {

// Element types and usages of a declaration, as the device reads them.
enum DeclType : uint8_t {
    kDeclFloat1 = 0,
    kDeclFloat2 = 1,
    kDeclFloat3 = 2,
    kDeclFloat4 = 3,
    kDeclUByte4 = 5,
    kDeclUByte4N = 8,
};
enum DeclUsage : uint8_t {
    kUsagePosition = 0,
    kUsageNormal = 3,
    kUsageTexCoord = 5,
    kUsageTangent = 6,
    kUsageBinormal = 7,
    kUsageColor = 10,
};

struct MeshVertexData {
    SD::Vec3 position;
    SD::Vec3 normal;
    float u = 0.0f, v = 0.0f;
    SD::Vec3 tangent;
    SD::Vec3 binormal;
};
constexpr uint32_t kMeshVertexSize = 56;

class iVertex : public iResource {};

// The declaration handle is class-wide: Load creates it on the graphics device, Unload releases it.
template <class T>
class TemplateVertex : public iVertex {
public:
    // The element table of the format (the end marker is the table's end).
    static const std::vector<platform::gfx::VertexElement>& Elements();
    // The instance record size of stream 1; 0 for a format without one.
    static uint32_t InstanceStride();
    static platform::gfx::VertexDeclaration* GetDeclaration() { return declaration; }

    // Reports a refused declaration through the error box and still returns true, leaving the
    // handle empty: draws with that format are then skipped by the device.
    bool Load() override;
    bool Unload() override;
    ~TemplateVertex() override {
        if (loaded) Unload();
    }

private:
    static inline platform::gfx::VertexDeclaration* declaration = nullptr;
};

class MeshVertex : public TemplateVertex<MeshVertex> {};
class MeshVertexInst : public TemplateVertex<MeshVertexInst> {};
class GrassVertex : public TemplateVertex<GrassVertex> {};
class DefaultVertex : public TemplateVertex<DefaultVertex> {};
class DebugVertex : public TemplateVertex<DebugVertex> {};
class LightVertex : public TemplateVertex<LightVertex> {};
class ParticleVertex : public TemplateVertex<ParticleVertex> {};
class QuadParticleVertex : public TemplateVertex<QuadParticleVertex> {};

}  // namespace Aperture::Resource
