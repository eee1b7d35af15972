#include "graphics/resources/Material.h"

#include <utility>

#include "core/Logger.h"
#include "engine/TextFileDataStream.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Texture.h"

namespace Aperture::Resource {
namespace {

uint32_t materialCounter = 0;
Material::EffectLookup effectLookup;
Material::TextureLookup textureLookup;
std::unordered_map<std::string, Material::ValueReader>& ValueReaders() {
    static std::unordered_map<std::string, Material::ValueReader> readers;
    return readers;
}

bool IsKeyword(const std::string& word) {
    return word == "pass_begin_params" || word == "pass_begin_empty" || word == "pass_end_params" ||
           word == "pass_end_empty" || ValueReaders().count(word) != 0;
}

}  // namespace

void Material::SetLookups(EffectLookup effects, TextureLookup textures) {
    effectLookup = std::move(effects);
    textureLookup = std::move(textures);
}

void Material::RegisterValueReaders() {
    auto& readers = ValueReaders();
    readers["float"] = &Material::ReadFloat;
    readers["int"] = &Material::ReadInt;
    readers["texture"] = &Material::ReadTexture;
    readers["effect"] = &Material::ReadEffect;
    readers["float4"] = &Material::ReadFloat4;
}

Material::Material(const SD::FilePath& path) : VolatileResource(kTypeMaterial, path), file(path) {
    passes.reserve(8);
    loaded = Load();
    materialId = materialCounter++;
}

bool Material::OnLostDevice() {
    passes.clear();
    scenePasses = 0;
    return true;
}

bool Material::OnResetDevice() {
    if (ValueReaders().empty()) RegisterValueReaders();
    Data::TextFileDataStream stream;
    if (!stream.openFile(file.fullPath, "rt")) {
        SD_WARNING(Debug::kLogError, "Material file \"%s\" could not be opened", file.fullPath);
        return false;
    }
    currentPass = nullptr;
    currentEffect = nullptr;
    emptyPass = false;
    blockOpen = false;
    std::string first;
    // An over-long name is logged by the stream and keeps its first 1023 characters; the
    // entries after it are read all the same.
    if (!stream.get(first) && first.empty()) {
        SD_WARNING(Debug::kLogError, "Material file \"%s\" holds no name", file.fullPath);
        stream.close();
        return true;
    }
    name = first;
    // After an entry that cannot be read, the words up to the next keyword are its values.
    bool skipping = false;
    while (stream.isGood()) {
        std::string keyword, token;
        if (!stream.get(keyword)) {
            if (!keyword.empty()) {
                SD_WARNING(Debug::kLogError, "Material file \"%s\": an over-long word; the entry is skipped",
                           file.fullPath);
                skipping = true;
            }
            continue;
        }
        if (!IsKeyword(keyword)) {
            if (!skipping)
                SD_WARNING(Debug::kLogError, "Material file \"%s\": unknown keyword \"%s\"; skipped", file.fullPath,
                           keyword.c_str());
            skipping = true;
            continue;
        }
        skipping = false;
        if (!stream.get(token)) {
            SD_WARNING(Debug::kLogError,
                       "Material file \"%s\": the entry \"%s\" is cut short or holds an over-long word; skipped",
                       file.fullPath, keyword.c_str());
            skipping = true;
            continue;
        }
        ReadEntry(keyword, token, &stream);
    }
    if (currentPass) {
        SD_WARNING(Debug::kLogError, "Material file \"%s\": a pass is still open at the end of the file; it is closed",
                   file.fullPath);
        ClosePass(!emptyPass);
    }
    stream.close();
    return true;
}

void Material::ReadEntry(const std::string& keyword, const std::string& token, Data::IDataStream* stream) {
    if (keyword == "pass_begin_params") return OpenPass(token, false);
    if (keyword == "pass_begin_empty") return OpenPass(token, true);
    if (keyword == "pass_end_params") return ClosePass(true);
    if (keyword == "pass_end_empty") return ClosePass(false);
    ValueReaders().at(keyword)(this, token, stream);
}

void Material::OpenPass(const std::string& passName, bool empty) {
    if (currentPass) {
        SD_WARNING(Debug::kLogError, "Material file \"%s\": pass \"%s\" begins inside another; that one is closed",
                   file.fullPath, passName.c_str());
        ClosePass(!emptyPass);
    }
    auto pass = std::make_unique<Pass>();
    currentPass = pass.get();
    passes[passName] = std::move(pass);
    static const std::pair<const char*, ScenePass> kScenePasses[] = {
        {"Transparent", kTransparentPass}, {"Reflective", kReflectivePass}, {"Geometry", kGeometryPass},
        {"Material", kMaterialPass},       {"Shadow", kShadowPass},
    };
    for (const auto& [scenePass, flag] : kScenePasses)
        if (passName == scenePass) scenePasses |= flag;
    currentEffect = nullptr;
    emptyPass = empty;
}

void Material::ClosePass(bool withParameters) {
    if (currentPass) {
        currentPass->parameterBlock = 0;
        if (blockOpen && currentEffect) {
            const uint32_t block = currentEffect->EndParameterBlock();
            if (withParameters) currentPass->parameterBlock = block;
        }
    }
    blockOpen = false;
    currentPass = nullptr;
    currentEffect = nullptr;
}

Effect* Material::ValueTarget(const char* keyword, const std::string& parameter) {
    if (currentEffect) return currentEffect;
    // A pass whose effect is not loaded has been told once; its values go with it.
    if (currentPass && !currentPass->effectName.empty()) return nullptr;
    SD_WARNING(Debug::kLogError, "Material file \"%s\": %s \"%s\" comes outside a pass with a loaded effect; skipped",
               file.fullPath, keyword, parameter.c_str());
    return nullptr;
}

void Material::ReadFloat(Material* m, const std::string& parameter, Data::IDataStream* stream) {
    float value = 0.0f;
    if (!stream->get(value)) {
        SD_WARNING(Debug::kLogError, "Material file \"%s\": float \"%s\" has no value", m->file.fullPath,
                   parameter.c_str());
        return;
    }
    if (Effect* e = m->ValueTarget("float", parameter)) e->SetFloat(parameter, value);
}

void Material::ReadInt(Material* m, const std::string& parameter, Data::IDataStream* stream) {
    int value = 0;
    if (!stream->get(value)) {
        SD_WARNING(Debug::kLogError, "Material file \"%s\": int \"%s\" has no value", m->file.fullPath,
                   parameter.c_str());
        return;
    }
    if (Effect* e = m->ValueTarget("int", parameter)) e->SetInt(parameter, value);
}

void Material::ReadFloat4(Material* m, const std::string& parameter, Data::IDataStream* stream) {
    float v[4] = {};
    for (float& x : v) {
        if (!stream->get(x)) {
            SD_WARNING(Debug::kLogError, "Material file \"%s\": float4 \"%s\" has fewer than four values",
                       m->file.fullPath, parameter.c_str());
            return;
        }
    }
    if (Effect* e = m->ValueTarget("float4", parameter)) e->SetVector4(parameter, v[0], v[1], v[2], v[3]);
}

void Material::ReadTexture(Material* m, const std::string& parameter, Data::IDataStream* stream) {
    std::string textureName;
    if (!stream->get(textureName)) {
        SD_WARNING(Debug::kLogError, "Material file \"%s\": texture \"%s\" names no texture", m->file.fullPath,
                   parameter.c_str());
        return;
    }
    iTexture* texture = textureLookup ? textureLookup(textureName) : nullptr;
    if (!texture) {
        SD_WARNING(Debug::kLogError, "Material file \"%s\": texture \"%s\" is not loaded; skipped", m->file.fullPath,
                   textureName.c_str());
        return;
    }
    if (Effect* e = m->ValueTarget("texture", parameter)) e->SetTexture(parameter, texture);
}

void Material::ReadEffect(Material* m, const std::string& effectName, Data::IDataStream*) {
    if (!m->currentPass) {
        SD_WARNING(Debug::kLogError, "Material file \"%s\": effect \"%s\" comes outside a pass; skipped",
                   m->file.fullPath, effectName.c_str());
        return;
    }
    m->currentPass->effectName = effectName;
    Effect* effect = effectLookup ? effectLookup(effectName) : nullptr;
    if (!effect) {
        SD_WARNING(Debug::kLogError, "Material file \"%s\": effect \"%s\" is not loaded; the pass has none",
                   m->file.fullPath, effectName.c_str());
        return;
    }
    if (m->blockOpen && m->currentEffect) m->currentEffect->EndParameterBlock();
    m->currentEffect = effect;
    m->currentPass->effect = effect;
    m->blockOpen = !m->emptyPass && effect->BeginParameterBlock();
}

const Material::Pass* Material::FindPass(const std::string& pass) const {
    auto it = passes.find(pass);
    return it == passes.end() ? nullptr : it->second.get();
}

Effect* Material::GetEffect(const std::string& pass) const {
    const Pass* p = FindPass(pass);
    return p ? p->effect : nullptr;
}

bool Material::ApplyPass(const std::string& pass) const {
    const Pass* p = FindPass(pass);
    if (!p) return false;
    if (p->parameterBlock != 0 && p->effect) p->effect->ApplyParameterBlock(p->parameterBlock);
    return true;
}

bool Material::UsesEffect(const Effect* effect) const {
    for (const auto& entry : passes)
        if (entry.second->effect == effect) return true;
    return false;
}

}  // namespace Aperture::Resource
