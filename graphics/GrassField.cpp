#include "graphics/GrassField.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/Random.h"
#include "graphics/resources/Buffers.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Vertex.h"
#include "platform/gfx/Device.h"

namespace Aperture {
namespace {

// The grass effect scales its colour by this; nothing sets another.
constexpr float kColorScalar = 1.0f;

}  // namespace

void GrassField::CreateResources(Resource::ResourceManager& manager) {
    const SD::Vec3 none{0.0f, 0.0f, 0.0f};
    // A blade stands upright on its root.
    blade = manager.CreatePlane(1, 1, {-0.5f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, none);
    instances[0] = manager.CreateInstanceBuffer<Resource::GrassVertex>();
    instances[1] = manager.CreateInstanceBuffer<Resource::GrassVertex>();
    staging.reserve(kChunk);
}

void GrassField::SetGrass(const Geometry* geometry, const std::vector<GrassInstance>& grass) {
    auto tree = std::make_unique<GrassTree>();
    tree->Build(grass);
    trees[geometry] = std::move(tree);
}

const GrassTree* GrassField::FindTree(const Geometry* geometry) const {
    auto it = trees.find(geometry);
    return it == trees.end() ? nullptr : it->second.get();
}

float GrassField::Paint(float growth, float growthTime) {
    if (growthTime <= 0.0f) return 1.0f;
    const float ratio = growth / growthTime;
    if (ratio <= 0.0f) return 0.0f;
    return std::clamp((std::log(ratio) + 0.1f) / std::log(10.0f) + 1.0f, 0.0f, 1.0f);
}

bool GrassField::TakePass() {
    if (!enabled) return false;
    if (!firstPass) return true;
    firstPass = false;
    if (WindAreaWriter* writer = windAreaWriter.Installed()) writer(SD::Vec2(-20.0f, -20.0f), SD::Vec2(20.0f, 20.0f));
    return false;
}

void GrassField::Draw(platform::gfx::Device& device, Resource::Effect& effect, Resource::iTexture* texture,
                      const std::string& technique, const std::vector<GrassInstance>& grass) {
    device.SetVertexDeclaration(Resource::GrassVertex::GetDeclaration());
    effect.SetTechnique(technique);
    effect.SetTexture("texture_0", texture);
    const float paint = Paint(growth, growthTime);
    const float blend = std::clamp(2.0f * paint, 0.0f, 1.0f);
    effect.SetFloat("grass_paint_scalar", paint);
    effect.SetFloat("grass_blend_scalar", blend);
    if (blend < 1.0f) {
        device.SetRenderState(platform::gfx::kRsAlphaBlendEnable, 1);
        device.SetRenderState(platform::gfx::kRsSrcBlend, platform::gfx::kBlendSrcAlpha);
        device.SetRenderState(platform::gfx::kRsDestBlend, platform::gfx::kBlendInvSrcAlpha);
    } else {
        device.SetRenderState(platform::gfx::kRsAlphaBlendEnable, 0);
    }
    effect.SetFloat("grass_color_scalar", kColorScalar);
    drawn = 0;
    staging.clear();
    for (const GrassInstance& instance : grass) {
        if (staging.size() == kChunk) DrawChunk(effect);
        staging.push_back(instance);
    }
    if (!staging.empty()) DrawChunk(effect);
}

void GrassField::DrawChunk(Resource::Effect& effect) {
    const auto count = static_cast<uint32_t>(staging.size());
    Resource::InstanceBuffer<Resource::GrassVertex>* records = instances[buffer];
    // The next chunk goes to the other buffer, which the device is not reading.
    buffer = 1 - buffer;
    drawn += count;
    void* locked = records ? records->Lock(count) : nullptr;
    if (locked) {
        std::memcpy(locked, staging.data(), count * sizeof(GrassInstance));
        records->Unlock();
    }
    staging.clear();
    if (!locked || !blade) return;
    const unsigned passes = effect.Begin();
    Resource::DrawInstancedBuffers(blade->GetVertexBuffer(), &effect, passes, blade->GetIndexBuffer(),
                                   records->View(0, count), records->RecordSize());
    effect.End();
}

void GrassField::UpdateWave(float dt) {
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
    for (auto& entry : trees)
        GrassTree::VisitAll(entry.second->GetRoot(), [b](GrassTree::Node* node) {
            for (GrassInstance& instance : node->instances) instance.params[0] = b;
        });
    growth = std::min(growth + dt, growthTime);
}

}  // namespace Aperture
