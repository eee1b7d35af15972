#pragma once
// The effect description the device reads in place of compiled shader code: the parameters
// an effect offers (type, element count, shared across the pool or not) and its techniques
// with their passes. Shader code is not run, so nothing else is described.
//
//   # comment
//   param [shared] <float|int|bool|float4|float4x4|texture> <name> [count]
//   technique <name>
//   pass <name>
//
// A pass belongs to the technique above it; every technique needs a pass.
#include <cstdint>
#include <string>
#include <vector>

namespace platform::gfx {

enum class ParamType : uint8_t { kFloat, kInt, kBool, kFloat4, kFloat4x4, kTexture };
// Floats one element of the type holds (0 for a texture).
uint32_t FloatsPerElement(ParamType type);
const char* ParamTypeName(ParamType type);

struct ParamDescription {
    std::string name;
    ParamType type = ParamType::kFloat;
    uint32_t count = 1;
    bool shared = false;
};

struct TechniqueDescription {
    std::string name;
    std::vector<std::string> passes;
};

struct EffectDescription {
    std::vector<ParamDescription> params;
    std::vector<TechniqueDescription> techniques;
};

constexpr size_t kMaxEffectFileSize = 1 << 20;
constexpr uint32_t kMaxParamCount = 256;

// False with "line N: what" in error for text that is not a well-formed description.
bool ParseEffectDescription(const std::string& text, EffectDescription& out, std::string& error);

}  // namespace platform::gfx
