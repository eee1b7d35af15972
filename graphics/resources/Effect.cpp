#include "graphics/resources/Effect.h"

#include "core/ErrorReport.h"
#include "core/Logger.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Texture.h"
#include "graphics/resources/VolumeTexture.h"

namespace Aperture::Resource {
namespace {

platform::gfx::EffectPool* pool = nullptr;
unsigned poolCount = 0;

platform::gfx::Matrix ToDevice(const SD::Mtx44& m) {
    platform::gfx::Matrix out;
    for (int i = 0; i < 16; ++i) out.m[i] = m.m[i];
    return out;
}

}  // namespace

platform::gfx::EffectPool* Effect::GetPool() { return pool; }
unsigned Effect::GetPoolCount() { return poolCount; }

// Every effect holds the pool from construction to destruction, loaded or not: one that fails
// now may compile at the next reset and must find the pool alive.
Effect::Effect(const SD::FilePath& filePath)
    : VolatileResource(kTypeEffect, filePath), file(filePath), name(filePath.fileName) {
    if (poolCount++ == 0) pool = platform::gfx::EffectPool::Create();
    loaded = Load();
}

Effect::~Effect() {
    if (loaded) Unload();
    if (effect) effect->Release();
    if (--poolCount == 0) {
        pool->Release();
        pool = nullptr;
    }
}

bool Effect::Compile(platform::gfx::Effect*& out) {
    ResourceManager* manager = ResourceManager::GetInstance();
    if (!manager || !manager->GetDevice()) return false;
    std::string errors;
    if (platform::gfx::Failed(
            platform::gfx::CreateEffectFromFile(manager->GetDevice(), file.fullPath, pool, &out, &errors))) {
        SD_WARNING(Debug::kLogError, "Effect \"%s\" not created: %s", file.fullPath, errors.c_str());
        return false;
    }
    return true;
}

bool Effect::OnLostDevice() {
    if (effect) effect->Release();
    effect = nullptr;
    return true;
}

bool Effect::OnResetDevice() { return Compile(effect); }

void Effect::Reload() {
    platform::gfx::Effect* fresh = nullptr;
    if (!Compile(fresh)) return;
    if (loaded) Unload();
    if (effect) effect->Release();
    effect = fresh;
    created = loaded = true;
}

void Effect::SetWeights(const float* values, unsigned count) {
    if (effect) effect->SetFloatArray("weights", values, count);
}

void Effect::SetOffsets(const SD::Vec4* vectors, unsigned count) {
    if (!effect || count > platform::gfx::kMaxParamCount) return;
    platform::gfx::Float4 v[platform::gfx::kMaxParamCount];
    for (unsigned i = 0; i < count; ++i) v[i] = {vectors[i].x, vectors[i].y, vectors[i].z, vectors[i].w};
    effect->SetVectorArray("offsets", v, count);
}

void Effect::SetLightInfo(const SD::Mtx44* matrices, unsigned count) {
    if (!effect) return;
    if (!effect->HasParameter("light_info")) {
        Debug::ShowErrorBox(__FILE__, __LINE__, "Failed finding a matrix array %s in effect %s", "light_info",
                            name.c_str());
        return;
    }
    if (count > platform::gfx::kMaxParamCount) return;
    platform::gfx::Matrix m[platform::gfx::kMaxParamCount];
    for (unsigned i = 0; i < count; ++i) m[i] = ToDevice(matrices[i]);
    effect->SetMatrixArray("light_info", m, count);
}

void Effect::SetParticleTexture(VolumeTexture* texture) {
    if (effect) effect->SetTexture("particle_texture", texture ? texture->GetTexture() : nullptr);
}

void Effect::SetHalfTexelOffset(float x, float y) { SetVector4("half_texel_offset", x, y, 0.0f, 0.0f); }

void Effect::SetVector4(const std::string& parameter, float x, float y, float z, float w) {
    if (effect) effect->SetVector(parameter, {x, y, z, w});
}

void Effect::SetMatrix(const std::string& parameter, const SD::Mtx44& matrix) {
    if (effect) effect->SetMatrix(parameter, ToDevice(matrix));
}

void Effect::SetFloat(const std::string& parameter, float value) {
    if (effect) effect->SetFloat(parameter, value);
}

void Effect::SetTexture(const std::string& parameter, iTexture* texture) {
    if (effect) effect->SetTexture(parameter, texture ? texture->GetTexture() : nullptr);
}

void Effect::SetInt(const std::string& parameter, int value) {
    if (effect) effect->SetInt(parameter, value);
}

bool Effect::BeginParameterBlock() { return effect && !platform::gfx::Failed(effect->BeginParameterBlock()); }

uint32_t Effect::EndParameterBlock() { return effect ? effect->EndParameterBlock() : 0; }

void Effect::ApplyParameterBlock(uint32_t block) {
    if (effect) effect->ApplyParameterBlock(block);
}

bool Effect::SetTechnique(const std::string& technique) {
    return effect && !platform::gfx::Failed(effect->SetTechnique(technique));
}

unsigned Effect::Begin() {
    uint32_t passes = 0;
    if (!effect || platform::gfx::Failed(effect->Begin(&passes))) return 0;
    return passes;
}

void Effect::BeginPass(unsigned pass) {
    if (effect) effect->BeginPass(pass);
}

void Effect::EndPass() {
    if (effect) effect->EndPass();
}

void Effect::End() {
    if (effect) effect->End();
}

}  // namespace Aperture::Resource
