#pragma once
// Effects read from effect descriptions. Parameters declared shared live in the pool the
// effects were created with, so a value set through one effect is seen by all of them.
// Every setting, technique choice and pass is recorded in the device's frame.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/EffectFile.h"
#include "platform/gfx/Objects.h"
#include "platform/gfx/Types.h"
#include "platform/gfx/ViewMath.h"

namespace platform::gfx {

class Device;
class Effect;

// One parameter's value: floats, or a texture the effect keeps bound (as the device keeps its
// bindings: it does not count as the caller's reference).
struct ParamValue {
    ParamType type = ParamType::kFloat;
    uint32_t count = 1;
    std::vector<float> floats;
    BaseTexture* texture = nullptr;
};

class EffectPool {
public:
    static EffectPool* Create() { return new EffectPool(); }
    uint32_t AddRef() { return ++refs_; }
    uint32_t Release();
    uint32_t RefCount() const { return refs_; }
    // The shared value of that name, or null.
    const ParamValue* Find(const std::string& name) const;

private:
    friend class Effect;
    friend Result CreateNamedEffect(Device*, const std::string&, const std::string&, EffectPool*, Effect**,
                                    std::string*);
    EffectPool() = default;
    static void Unbind(ParamValue& value);
    ~EffectPool();
    // The existing slot for a matching declaration, a new one for a new name, null when the
    // name is already shared with another type or count.
    ParamValue* Share(const ParamDescription& description);

    uint32_t refs_ = 1;
    std::map<std::string, std::unique_ptr<ParamValue>> values_;
};

class Effect {
public:
    uint32_t AddRef() { return ++refs_; }
    uint32_t Release();

    const EffectDescription& Description() const { return description_; }
    // The file the effect was read from (empty for one made from text).
    const std::string& Name() const { return name_; }
    // True when the effect offers the parameter.
    bool HasParameter(const std::string& name) const { return params_.count(name) != 0; }

    // A name the effect does not offer, or a value of the wrong shape, fails with kInvalidCall.
    Result SetFloat(const std::string& name, float value);
    Result SetInt(const std::string& name, int value);
    Result SetBool(const std::string& name, bool value);
    Result SetVector(const std::string& name, const Float4& value);
    Result SetMatrix(const std::string& name, const Matrix& value);
    Result SetFloatArray(const std::string& name, const float* values, uint32_t count);
    Result SetVectorArray(const std::string& name, const Float4* values, uint32_t count);
    Result SetMatrixArray(const std::string& name, const Matrix* values, uint32_t count);
    Result SetTexture(const std::string& name, BaseTexture* texture);
    // The current value, or null for a name the effect does not offer.
    const ParamValue* GetValue(const std::string& name) const;

    // Parameter blocks: between Begin and End every setting is checked and kept in the block
    // instead of taking effect; applying the block makes the kept settings in order. Handles
    // start at 1; 0 is no block. Begin inside a block and End outside one fail.
    Result BeginParameterBlock();
    uint32_t EndParameterBlock();
    Result ApplyParameterBlock(uint32_t handle);
    bool InParameterBlock() const { return recording_ != nullptr; }
    size_t ParameterBlockCount() const { return blocks_.size(); }

    Result SetTechnique(const std::string& name);
    const std::string& CurrentTechnique() const { return technique_->name; }
    // Begin inside Begin, a pass out of range or inside a pass, and End inside a pass fail.
    Result Begin(uint32_t* passes);
    Result BeginPass(uint32_t pass);
    Result EndPass();
    Result End();

private:
    friend Result CreateNamedEffect(Device*, const std::string&, const std::string&, EffectPool*, Effect**,
                                    std::string*);
    Effect(Device* device, EffectPool* pool, EffectDescription description);
    ~Effect();
    Result Set(const std::string& name, ParamType type, const float* values, uint32_t count);
    void Record(Op op, const std::string& name, uint32_t index = 0);

    struct BlockEntry {
        std::string name;
        ParamType type;
        std::vector<float> floats;
        uint32_t count = 0;
        BaseTexture* texture = nullptr;
    };
    using Block = std::vector<BlockEntry>;

    uint32_t refs_ = 1;
    std::vector<std::unique_ptr<Block>> blocks_;
    std::unique_ptr<Block> recording_;
    Device* device_;
    std::string name_;
    EffectPool* pool_;
    EffectDescription description_;
    std::map<std::string, ParamValue*> params_;
    std::vector<std::unique_ptr<ParamValue>> own_;
    const TechniqueDescription* technique_;
    bool begun_ = false;
    bool inPass_ = false;
};

// Reads the description from text and creates the effect; failures give kInvalidCall with the
// reason in errors (an unreadable file, a malformed description, a shared parameter declared
// with another type or count than the pool holds).
Result CreateEffect(Device* device, const std::string& text, EffectPool* pool, Effect** out, std::string* errors);
// The same, for an effect that goes by the name (the file it was read from).
Result CreateNamedEffect(Device* device, const std::string& name, const std::string& text, EffectPool* pool,
                         Effect** out, std::string* errors);
Result CreateEffectFromFile(Device* device, const std::string& path, EffectPool* pool, Effect** out,
                            std::string* errors);

}  // namespace platform::gfx
