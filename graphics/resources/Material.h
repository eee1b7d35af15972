#pragma once
// A material: for each pass name, the effect that draws it and a parameter block of that
// effect holding the pass's settings. Read from a text file of keyword entries; dropped with
// the device and read again after a reset, after the effects and textures it binds.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "core/FilePath.h"
#include "graphics/resources/Resource.h"

namespace Data {
class IDataStream;
}

namespace Aperture::Resource {

class Effect;
class iTexture;

class Material : public VolatileResource {
public:
    struct Pass {
        std::string effectName;
        Effect* effect = nullptr;
        uint32_t parameterBlock = 0;  // 0: no parameters
    };
    // How a material finds what its file names; the graphics system sets them.
    using EffectLookup = std::function<Effect*(const std::string&)>;
    using TextureLookup = std::function<iTexture*(const std::string&)>;
    static void SetLookups(EffectLookup effects, TextureLookup textures);
    // Builds the table of value keywords ("float", "int", "float4", "texture", "effect").
    static void RegisterValueReaders();

    bool OnLostDevice() override;
    // Reads the file. Entries that cannot be used (an unknown keyword, a value before its
    // pass's effect, an effect or texture that is not loaded, an over-long word, a missing
    // value) are logged and skipped; a block still open at the end is closed. False, with a
    // log line, when the file cannot be opened.
    bool OnResetDevice() override;

    bool HasPass(const std::string& pass) const { return passes.count(pass) != 0; }
    // The passes that sort a mesh into the scene's lists, as flags kept with the passes: the
    // scene asks for them for every mesh in view, in every view, every frame.
    enum ScenePass : uint32_t {
        kTransparentPass = 1u << 0,
        kReflectivePass = 1u << 1,
        kGeometryPass = 1u << 2,
        kMaterialPass = 1u << 3,
        kShadowPass = 1u << 4,
    };
    uint32_t ScenePasses() const { return scenePasses; }
    Effect* GetEffect(const std::string& pass) const;
    // False when the material has no such pass; applies the pass's block when it has one.
    bool ApplyPass(const std::string& pass) const;
    const Pass* FindPass(const std::string& pass) const;
    size_t PassCount() const { return passes.size(); }
    bool UsesEffect(const Effect* effect) const;

    const std::string& GetName() const { return name; }
    void SetName(const std::string& n) { name = n; }
    uint32_t GetMaterialId() const { return materialId; }

    // The value readers: each reads its own values from the stream.
    using ValueReader = void (*)(Material*, const std::string&, Data::IDataStream*);

private:
    friend class ResourceManager;
    explicit Material(const SD::FilePath& file);
    void ReadEntry(const std::string& keyword, const std::string& token, Data::IDataStream* stream);
    void OpenPass(const std::string& passName, bool empty);
    void ClosePass(bool withParameters);

    static void ReadFloat(Material* m, const std::string& parameter, Data::IDataStream* stream);
    static void ReadInt(Material* m, const std::string& parameter, Data::IDataStream* stream);
    static void ReadFloat4(Material* m, const std::string& parameter, Data::IDataStream* stream);
    static void ReadTexture(Material* m, const std::string& parameter, Data::IDataStream* stream);
    static void ReadEffect(Material* m, const std::string& effectName, Data::IDataStream* stream);
    // The effect a value entry acts on; logs and gives null outside a pass with an effect.
    Effect* ValueTarget(const char* keyword, const std::string& parameter);

    std::unordered_map<std::string, std::unique_ptr<Pass>> passes;
    uint32_t scenePasses = 0;
    std::string name;
    SD::FilePath file;
    uint32_t materialId = 0;
    // Reading state of the file being read.
    Pass* currentPass = nullptr;
    Effect* currentEffect = nullptr;
    bool emptyPass = false;
    bool blockOpen = false;
};

}  // namespace Aperture::Resource
