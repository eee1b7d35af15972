// Grass: instanced blades drawn from the visible grass records of a view, and the shared
// wave that sways every blade.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/Random.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/components/Geometry.h"
#include "graphics/photon/GrassDust.h"
#include "graphics/resources/Buffers.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Texture.h"
#include "graphics/resources/Vertex.h"

namespace Aperture {
// Each geometry's grass dust starts once, the first time its grass is in view.
void Graphics_::StartGrassDust(const std::vector<Geometry*>& owners) {
    for (Geometry* geometry : owners) {
        SD::GameObject* owner = geometry->GetOwner();
        auto* dust = owner ? dynamic_cast<Photon::GrassDust*>(owner->GetComponent(SD::kGrassDustID)) : nullptr;
        if (dust && !dust->IsEnabled()) dust->Enable();
    }
}

void Graphics_::SetGrass(const Geometry* geometry, const std::vector<GrassInstance>& instances) {
    auto tree = std::make_unique<GrassTree>();
    tree->Build(instances);
    grassTrees[geometry] = std::move(tree);
}

float Graphics_::GrassPaint(float growth, float growthTime) {
    if (growthTime <= 0.0f) return 1.0f;
    const float ratio = growth / growthTime;
    if (ratio <= 0.0f) return 0.0f;
    return std::clamp((std::log(ratio) + 0.1f) / std::log(10.0f) + 1.0f, 0.0f, 1.0f);
}

void Graphics_::DrawGrass(const std::string& technique, const std::vector<GrassInstance>& grass,
                          const std::vector<Geometry*>* owners) {
    if (!grassEnabled) return;
    if (firstGrassPass) {
        firstGrassPass = false;
        if (windAreaWriter) windAreaWriter(SD::Vec2(-20.0f, -20.0f), SD::Vec2(20.0f, 20.0f));
        return;
    }
    if (owners) StartGrassDust(*owners);
    if (grass.empty()) return;
    Resource::Effect* effect = GetEffect("grass");
    Resource::iTexture* texture = FindTexture("grass");
    if (!effect || !texture) {
        ReportMissingOnce(effect ? "Texture" : "Effect", "grass");
        return;
    }
    platform::gfx::Device* d = device.GetDevice();
    d->SetVertexDeclaration(Resource::GrassVertex::GetDeclaration());
    effect->SetTechnique(technique);
    effect->SetTexture("texture_0", texture);
    const float paint = GrassPaint(grassGrowth, grassGrowthTime);
    const float blend = std::clamp(2.0f * paint, 0.0f, 1.0f);
    effect->SetFloat("grass_paint_scalar", paint);
    effect->SetFloat("grass_blend_scalar", blend);
    if (blend < 1.0f) {
        d->SetRenderState(platform::gfx::kRsAlphaBlendEnable, 1);
        d->SetRenderState(platform::gfx::kRsSrcBlend, platform::gfx::kBlendSrcAlpha);
        d->SetRenderState(platform::gfx::kRsDestBlend, platform::gfx::kBlendInvSrcAlpha);
    } else {
        d->SetRenderState(platform::gfx::kRsAlphaBlendEnable, 0);
    }
    effect->SetFloat("grass_color_scalar", grassColorScalar);
    grassDrawn = 0;
    grassStaging.clear();
    for (const GrassInstance& instance : grass) {
        if (grassStaging.size() == kGrassChunk) DrawGrassChunk(effect);
        grassStaging.push_back(instance);
    }
    if (!grassStaging.empty()) DrawGrassChunk(effect);
}

void Graphics_::DrawGrassChunk(Resource::Effect* effect) {
    const auto count = static_cast<uint32_t>(grassStaging.size());
    Resource::InstanceBuffer<Resource::GrassVertex>* buffer = grassInstances[grassBuffer];
    // The next chunk goes to the other buffer, which the device is not reading.
    grassBuffer = 1 - grassBuffer;
    grassDrawn += count;
    void* records = buffer ? buffer->Lock(count) : nullptr;
    if (records) {
        std::memcpy(records, grassStaging.data(), count * sizeof(GrassInstance));
        buffer->Unlock();
    }
    grassStaging.clear();
    if (!records || !grassBlade) return;
    const unsigned passes = effect->Begin();
    Resource::DrawInstancedBuffers(grassBlade->GetVertexBuffer(), effect, passes, grassBlade->GetIndexBuffer(),
                                   buffer->View(0, count), buffer->RecordSize());
    effect->End();
}

void Graphics_::UpdateGrassWave(float dt) {
    if (!wave.started) {
        wave.started = true;
        wave.previous = std::fmod(SD::Rand(), 0.1f) + 0.2f;
        wave.target = std::fmod(SD::Rand(), 0.2f) + 0.7f;
        wave.speed = std::fmod(SD::Rand(), 0.1f) + 0.2f;
    }
    const float span = std::fabs(wave.target - wave.previous);
    const float q = span > 0.0f ? std::fabs(wave.value - wave.target) / span : 0.5f;
    // Slowest near the ends of a leg, full speed halfway.
    const float k = std::max(1.0f - std::fabs(2.0f * (q - 0.5f)), 0.2f);
    wave.value += wave.direction * wave.speed * k * dt;
    const bool falling = wave.direction < 0.0f;
    if ((falling && wave.value < wave.target) || (!falling && wave.value > wave.target)) {
        wave.previous = wave.target;
        wave.target = falling ? std::fmod(SD::Rand(), 0.2f) + 0.7f : std::fmod(SD::Rand(), 0.35f) + 0.15f;
        wave.direction = -wave.direction;
        wave.speed = std::fmod(SD::Rand(), 0.1f) + 0.2f;
    }
    const auto b = static_cast<uint8_t>(std::clamp(std::floor(wave.value * 255.0f), 0.0f, 255.0f));
    for (auto& entry : grassTrees)
        GrassTree::VisitAll(entry.second->GetRoot(), [b](GrassTree::Node* node) {
            for (GrassInstance& instance : node->instances) instance.params[0] = b;
        });
    grassGrowth = std::min(grassGrowth + dt, grassGrowthTime);
}

}  // namespace Aperture
