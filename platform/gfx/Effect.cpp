#include "platform/gfx/Effect.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/gfx/Device.h"
#include "platform/gfx/Executor.h"

namespace platform::gfx {
namespace {

std::unique_ptr<ParamValue> MakeValue(const ParamDescription& d) {
    auto value = std::make_unique<ParamValue>();
    value->type = d.type;
    value->count = d.count;
    value->floats.assign(static_cast<size_t>(FloatsPerElement(d.type)) * d.count, 0.0f);
    return value;
}

}  // namespace

void EffectPool::Unbind(ParamValue& value) {
    if (value.texture) value.texture->DropByDevice();
    value.texture = nullptr;
}

uint32_t EffectPool::Release() {
    uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
}

EffectPool::~EffectPool() {
    for (auto& entry : values_) Unbind(*entry.second);
}

const ParamValue* EffectPool::Find(const std::string& name) const {
    auto it = values_.find(name);
    return it == values_.end() ? nullptr : it->second.get();
}

ParamValue* EffectPool::Share(const ParamDescription& d) {
    auto it = values_.find(d.name);
    if (it == values_.end()) return values_.emplace(d.name, MakeValue(d)).first->second.get();
    ParamValue* value = it->second.get();
    return value->type == d.type && value->count == d.count ? value : nullptr;
}

Effect::Effect(Device* device, EffectPool* pool, EffectDescription description)
    : device_(device), pool_(pool), description_(std::move(description)), technique_(&description_.techniques[0]) {
    if (pool_) pool_->AddRef();
}

Effect::~Effect() {
    if (Executor* executor = InstalledExecutor()) executor->EffectDestroyed(*this);
    if (inPass_) device_->EndEffectPass(this);
    if (recording_) blocks_.push_back(std::move(recording_));
    for (auto& block : blocks_)
        for (BlockEntry& entry : *block)
            if (entry.texture) entry.texture->DropByDevice();
    for (auto& value : own_) EffectPool::Unbind(*value);
    if (pool_) pool_->Release();
}

uint32_t Effect::Release() {
    uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
}

void Effect::Record(Op op, const std::string& name, uint32_t index) {
    Command& c = device_->Append(op);
    c.name = name;
    c.a[0] = index;
}

Result Effect::Set(const std::string& name, ParamType type, const float* values, uint32_t count) {
    auto it = params_.find(name);
    if (it == params_.end()) return kInvalidCall;
    ParamValue& value = *it->second;
    if (value.type != type || count == 0 || count > value.count) return kInvalidCall;
    const size_t floats = static_cast<size_t>(FloatsPerElement(type)) * count;
    if (recording_) {
        recording_->push_back({name, type, std::vector<float>(values, values + floats), count, nullptr});
        return kOk;
    }
    std::copy(values, values + floats, value.floats.begin());
    Command& c = device_->Append(Op::kSetParameter);
    c.name = name;
    c.a[0] = static_cast<uint32_t>(floats);
    std::copy(values, values + std::min<size_t>(floats, 16), c.v);
    return kOk;
}

Result Effect::SetFloat(const std::string& name, float value) { return Set(name, ParamType::kFloat, &value, 1); }

Result Effect::SetInt(const std::string& name, int value) {
    float f = static_cast<float>(value);
    return Set(name, ParamType::kInt, &f, 1);
}

Result Effect::SetBool(const std::string& name, bool value) {
    float f = value ? 1.0f : 0.0f;
    return Set(name, ParamType::kBool, &f, 1);
}

Result Effect::SetVector(const std::string& name, const Float4& value) {
    const float f[4] = {value.x, value.y, value.z, value.w};
    return Set(name, ParamType::kFloat4, f, 1);
}

Result Effect::SetMatrix(const std::string& name, const Matrix& value) {
    return Set(name, ParamType::kFloat4x4, value.m, 1);
}

Result Effect::SetFloatArray(const std::string& name, const float* values, uint32_t count) {
    if (!values) return kInvalidCall;
    return Set(name, ParamType::kFloat, values, count);
}

Result Effect::SetVectorArray(const std::string& name, const Float4* values, uint32_t count) {
    if (!values || count > kMaxParamCount) return kInvalidCall;
    float f[4 * kMaxParamCount];
    for (uint32_t i = 0; i < count; ++i) {
        f[4 * i] = values[i].x;
        f[4 * i + 1] = values[i].y;
        f[4 * i + 2] = values[i].z;
        f[4 * i + 3] = values[i].w;
    }
    return Set(name, ParamType::kFloat4, f, count);
}

Result Effect::SetMatrixArray(const std::string& name, const Matrix* values, uint32_t count) {
    if (!values || count > kMaxParamCount) return kInvalidCall;
    std::vector<float> f(static_cast<size_t>(16) * count);
    for (uint32_t i = 0; i < count; ++i) std::memcpy(&f[16 * i], values[i].m, sizeof values[i].m);
    return Set(name, ParamType::kFloat4x4, f.data(), count);
}

Result Effect::SetTexture(const std::string& name, BaseTexture* texture) {
    auto it = params_.find(name);
    if (it == params_.end() || it->second->type != ParamType::kTexture) return kInvalidCall;
    ParamValue& value = *it->second;
    if (texture) texture->HoldByDevice();
    if (recording_) {
        recording_->push_back({name, ParamType::kTexture, {}, 0, texture});
        return kOk;
    }
    EffectPool::Unbind(value);
    value.texture = texture;
    Command& c = device_->Append(Op::kSetParameter);
    c.name = name;
    if (texture) {
        c.a[1] = texture->Width();
        c.a[2] = texture->Height();
        c.a[3] = texture->GetFormat();
    }
    return kOk;
}

const ParamValue* Effect::GetValue(const std::string& name) const {
    auto it = params_.find(name);
    return it == params_.end() ? nullptr : it->second;
}

Result Effect::BeginParameterBlock() {
    if (recording_) return kInvalidCall;
    recording_ = std::make_unique<Block>();
    return kOk;
}

uint32_t Effect::EndParameterBlock() {
    if (!recording_) return 0;
    blocks_.push_back(std::move(recording_));
    return static_cast<uint32_t>(blocks_.size());
}

Result Effect::ApplyParameterBlock(uint32_t handle) {
    if (handle == 0 || handle > blocks_.size() || recording_) return kInvalidCall;
    for (const BlockEntry& entry : *blocks_[handle - 1]) {
        const Result r = entry.type == ParamType::kTexture
                             ? SetTexture(entry.name, entry.texture)
                             : Set(entry.name, entry.type, entry.floats.data(), entry.count);
        if (Failed(r)) return r;
    }
    return kOk;
}

Result Effect::SetTechnique(const std::string& name) {
    if (begun_) return kInvalidCall;
    for (const TechniqueDescription& t : description_.techniques)
        if (t.name == name) {
            technique_ = &t;
            Record(Op::kSetTechnique, name);
            return kOk;
        }
    return kInvalidCall;
}

Result Effect::Begin(uint32_t* passes) {
    if (begun_) return kInvalidCall;
    begun_ = true;
    if (passes) *passes = static_cast<uint32_t>(technique_->passes.size());
    Record(Op::kBeginEffect, technique_->name);
    return kOk;
}

Result Effect::BeginPass(uint32_t pass) {
    if (!begun_ || inPass_ || pass >= technique_->passes.size()) return kInvalidCall;
    inPass_ = true;
    const uint32_t technique = static_cast<uint32_t>(technique_ - description_.techniques.data());
    Record(Op::kBeginPass, technique_->passes[pass], pass);
    static const std::vector<PassState> kNoStates;
    const std::vector<PassState>& states =
        pass < technique_->programs.size() ? technique_->programs[pass].states : kNoStates;
    device_->BeginEffectPass({this, technique, pass}, states);
    return kOk;
}

Result Effect::EndPass() {
    if (!inPass_) return kInvalidCall;
    inPass_ = false;
    Record(Op::kEndPass, std::string());
    device_->EndEffectPass(this);
    return kOk;
}

Result Effect::End() {
    if (!begun_ || inPass_) return kInvalidCall;
    begun_ = false;
    Record(Op::kEndEffect, std::string());
    return kOk;
}

Result CreateEffect(Device* device, const std::string& text, EffectPool* pool, Effect** out, std::string* errors) {
    return CreateNamedEffect(device, std::string(), text, pool, out, errors);
}

Result CreateNamedEffect(Device* device, const std::string& name, const std::string& text, EffectPool* pool,
                         Effect** out, std::string* errors) {
    std::string error;
    EffectDescription description;
    if (!device || !out) return kInvalidCall;
    if (!ParseEffectDescription(text, description, error)) {
        if (errors) *errors = error;
        return kInvalidCall;
    }
    std::map<std::string, ParamValue*> shared;
    for (const ParamDescription& p : description.params) {
        if (!p.shared || !pool) continue;
        const ParamValue* existing = pool->Find(p.name);
        if (existing && (existing->type != p.type || existing->count != p.count)) {
            if (errors)
                *errors = "shared parameter '" + p.name + "' is " + ParamTypeName(existing->type) + "[" +
                          std::to_string(existing->count) + "] in the pool";
            return kInvalidCall;
        }
    }
    Effect* effect = new Effect(device, pool, std::move(description));
    effect->name_ = name;
    for (const ParamDescription& p : effect->description_.params) {
        if (p.shared && pool) {
            effect->params_[p.name] = pool->Share(p);
        } else {
            effect->own_.push_back(MakeValue(p));
            effect->params_[p.name] = effect->own_.back().get();
        }
    }
    if (Executor* executor = InstalledExecutor()) executor->EffectCreated(*effect);
    *out = effect;
    return kOk;
}

Result CreateEffectFromFile(Device* device, const std::string& path, EffectPool* pool, Effect** out,
                            std::string* errors) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (errors) *errors = "cannot open " + path;
        return kNotFound;
    }
    auto readAtMost = [](std::ifstream& in, std::string& text) {
        // One byte past the limit is enough for the reader to refuse an oversized file.
        text.assign(kMaxEffectFileSize + 1, '\0');
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<size_t>(in.gcount()));
    };
    std::string text;
    readAtMost(file, text);
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string expanded, error;
    const bool read = ExpandEffectIncludes(
        text,
        [&](const std::string& name, std::string& included) {
            std::ifstream in(folder + name, std::ios::binary);
            if (!in) return false;
            readAtMost(in, included);
            return true;
        },
        expanded, error);
    if (!read) {
        if (errors) *errors = error;
        return kInvalidCall;
    }
    return CreateNamedEffect(device, path, expanded, pool, out, errors);
}

}  // namespace platform::gfx
