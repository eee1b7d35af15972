#pragma once
// The effect description the device reads: the parameters an effect offers (type, element
// count, shared across the pool or not), its techniques with their passes, and the GLSL a real
// device compiles for each pass with the render states the pass sets.
//
//   # comment
//   param [shared] <float|int|bool|float4|float4x4|texture> <name> [count]
//   technique <name>
//   pass <name>
//   glsl                      everything up to a line that is exactly "end" is GLSL, verbatim
//   end                       ('#' lines inside are preprocessor lines); blocks join in order
//   sampler <texture param> <point|linear> <wrap|clamp>      (default: linear wrap)
//   program <vertex function> <fragment function>           (inside a pass)
//   state <State> <value>                                   (inside a pass, any number)
//   include <file name>       the named file of the effect's own folder, line for line, where
//                             it stands (inside a GLSL block too); an included file includes none
//
// A pass belongs to the technique above it; every technique needs a pass. A pass without a
// program has no GLSL: the headless device runs it all the same.
#include <cstdint>
#include <functional>
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

// How a texture parameter is sampled.
struct SamplerDescription {
    std::string texture;
    bool linear = true;
    bool wrap = true;
};

// A render state a pass sets when it begins, as (RenderState number, value).
struct PassState {
    uint32_t state = 0;
    uint32_t value = 0;
    bool operator==(const PassState& o) const { return state == o.state && value == o.value; }
};

// What a pass runs on a real device: empty function names when the pass has no GLSL.
struct PassProgram {
    std::string vertexFunction;
    std::string fragmentFunction;
    std::vector<PassState> states;
    bool HasProgram() const { return !vertexFunction.empty(); }
};

struct TechniqueDescription {
    TechniqueDescription() = default;
    // Passes without programs.
    TechniqueDescription(std::string techniqueName, std::vector<std::string> passNames)
        : name(std::move(techniqueName)), passes(std::move(passNames)), programs(passes.size()) {}
    std::string name;
    std::vector<std::string> passes;
    std::vector<PassProgram> programs;  // one per pass, in the same order
};

struct EffectDescription {
    std::vector<ParamDescription> params;
    std::vector<TechniqueDescription> techniques;
    std::string glsl;  // the file's GLSL blocks joined, every line ending in a newline
    std::vector<SamplerDescription> samplers;
    // The sampler settings of a texture parameter (the default ones when the file gives none).
    SamplerDescription SamplerFor(const std::string& texture) const;
};

constexpr size_t kMaxEffectFileSize = 1 << 20;
constexpr uint32_t kMaxParamCount = 256;

// Reads an included file by its name; false when there is none.
using EffectIncludeReader = std::function<bool(const std::string& name, std::string& text)>;
// The text with each "include" line replaced by the file it names. False with "line N: what"
// in error for a name that is not a plain file name of the folder, a file that cannot be read,
// an include inside an included file, or a result larger than an effect file may be.
bool ExpandEffectIncludes(const std::string& text, const EffectIncludeReader& read, std::string& out,
                          std::string& error);

// False with "line N: what" in error for text that is not a well-formed description.
bool ParseEffectDescription(const std::string& text, EffectDescription& out, std::string& error);

}  // namespace platform::gfx
