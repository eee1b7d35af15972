#include "platform/gfx/EffectFile.h"

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <utility>

#include "platform/gfx/Types.h"

namespace platform::gfx {
namespace {

struct TypeName {
    const char* name;
    ParamType type;
};
constexpr TypeName kTypes[] = {
    {"float", ParamType::kFloat},   {"int", ParamType::kInt},           {"bool", ParamType::kBool},
    {"float4", ParamType::kFloat4}, {"float4x4", ParamType::kFloat4x4}, {"texture", ParamType::kTexture},
};

struct NamedValue {
    const char* name;
    uint32_t value;
};
constexpr NamedValue kOnOff[] = {{"on", 1}, {"off", 0}};
constexpr NamedValue kCompares[] = {
    {"never", kCmpNever},
    {"less", kCmpLess},
    {"equal", kCmpEqual},
    {"lessequal", kCmpLessEqual},
    {"greater", kCmpGreater},
    {"notequal", kCmpNotEqual},
    {"greaterequal", kCmpGreaterEqual},
    {"always", kCmpAlways},
};
constexpr NamedValue kBlends[] = {
    {"zero", kBlendZero},           {"one", kBlendOne},
    {"srccolor", kBlendSrcColor},   {"invsrccolor", kBlendInvSrcColor},
    {"srcalpha", kBlendSrcAlpha},   {"invsrcalpha", kBlendInvSrcAlpha},
    {"destalpha", kBlendDestAlpha}, {"invdestalpha", kBlendInvDestAlpha},
    {"destcolor", kBlendDestColor}, {"invdestcolor", kBlendInvDestColor},
};
constexpr NamedValue kBlendOps[] = {
    {"add", kBlendOpAdd}, {"subtract", kBlendOpSubtract}, {"revsubtract", kBlendOpRevSubtract},
    {"min", kBlendOpMin}, {"max", kBlendOpMax},
};
constexpr NamedValue kCulls[] = {{"none", kCullNone}, {"cw", kCullCw}, {"ccw", kCullCcw}};

// A state a pass may set with the words its value may take; no words means a colour mask.
struct StateName {
    const char* name;
    uint32_t state;
    const NamedValue* values;
    size_t valueCount;
};
template <size_t N>
constexpr StateName Named(const char* name, uint32_t state, const NamedValue (&values)[N]) {
    return {name, state, values, N};
}
constexpr StateName kStates[] = {
    Named("ZEnable", kRsZEnable, kOnOff),
    Named("ZWriteEnable", kRsZWriteEnable, kOnOff),
    Named("ZFunc", kRsZFunc, kCompares),
    Named("AlphaBlendEnable", kRsAlphaBlendEnable, kOnOff),
    Named("SrcBlend", kRsSrcBlend, kBlends),
    Named("DestBlend", kRsDestBlend, kBlends),
    Named("BlendOp", kRsBlendOp, kBlendOps),
    Named("CullMode", kRsCullMode, kCulls),
    {"ColorWriteEnable", kRsColorWriteEnable, nullptr, 0},
};

bool ParseStateValue(const StateName& state, const std::string& word, uint32_t& out) {
    if (!state.values) {
        if (word.empty() || word.size() > 2) return false;
        for (char c : word)
            if (c < '0' || c > '9') return false;
        out = static_cast<uint32_t>(std::strtoul(word.c_str(), nullptr, 10));
        return out <= 15;
    }
    for (size_t i = 0; i < state.valueCount; ++i)
        if (word == state.values[i].name) {
            out = state.values[i].value;
            return true;
        }
    return false;
}

bool ParseCount(const std::string& text, uint32_t& out) {
    if (text.empty() || text.size() > 4) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    unsigned long value = std::strtoul(text.c_str(), nullptr, 10);
    if (value < 1 || value > kMaxParamCount) return false;
    out = static_cast<uint32_t>(value);
    return true;
}

bool ValidName(const std::string& name) {
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return !name.empty();
}

// An effect file being read: what it has declared so far and the line at hand.
struct EffectReading {
    EffectDescription result;
    std::vector<int> samplerLines;  // the line of each sampler
    int number = 0;                 // the line at hand
    int glslStart = 0;              // the line of the open glsl block, 0 outside one
    std::string error;

    bool Fail(const std::string& what) {
        error = "line " + std::to_string(number) + ": " + what;
        return false;
    }
    // The pass the program and state lines belong to, null outside a pass.
    PassProgram* CurrentPass() {
        if (result.techniques.empty() || result.techniques.back().programs.empty()) return nullptr;
        return &result.techniques.back().programs.back();
    }
};
using Words = std::vector<std::string>;

// param [shared] <type> <name> [count]
bool ReadParam(EffectReading& r, const Words& w) {
    size_t at = 1;
    ParamDescription p;
    if (at < w.size() && w[at] == "shared") {
        p.shared = true;
        ++at;
    }
    if (w.size() - at < 2 || w.size() - at > 3) return r.Fail("param needs a type, a name and an optional count");
    bool known = false;
    for (const TypeName& t : kTypes)
        if (w[at] == t.name) {
            p.type = t.type;
            known = true;
        }
    if (!known) return r.Fail("unknown parameter type '" + w[at] + "'");
    p.name = w[at + 1];
    if (!ValidName(p.name)) return r.Fail("bad parameter name '" + p.name + "'");
    if (at + 2 < w.size() && !ParseCount(w[at + 2], p.count))
        return r.Fail("parameter count '" + w[at + 2] + "' is not 1 to " + std::to_string(kMaxParamCount));
    for (const ParamDescription& other : r.result.params)
        if (other.name == p.name) return r.Fail("parameter '" + p.name + "' declared twice");
    r.result.params.push_back(p);
    return true;
}

// technique <name>: the one before it must have a pass.
bool ReadTechnique(EffectReading& r, const Words& w) {
    if (w.size() != 2 || !ValidName(w[1])) return r.Fail("technique needs one name");
    std::vector<TechniqueDescription>& techniques = r.result.techniques;
    for (const TechniqueDescription& other : techniques)
        if (other.name == w[1]) return r.Fail("technique '" + w[1] + "' declared twice");
    if (!techniques.empty() && techniques.back().passes.empty())
        return r.Fail("technique '" + techniques.back().name + "' has no pass");
    techniques.push_back({w[1], {}});
    return true;
}

// pass <name>, in the last technique.
bool ReadPass(EffectReading& r, const Words& w) {
    if (w.size() != 2 || !ValidName(w[1])) return r.Fail("pass needs one name");
    if (r.result.techniques.empty()) return r.Fail("pass '" + w[1] + "' outside a technique");
    r.result.techniques.back().passes.push_back(w[1]);
    r.result.techniques.back().programs.emplace_back();
    return true;
}

// glsl: the lines up to "end" are the effect's GLSL.
bool ReadGlsl(EffectReading& r, const Words& w) {
    if (w.size() != 1) return r.Fail("glsl takes nothing after it");
    r.glslStart = r.number;
    return true;
}

// sampler <texture parameter> <point|linear> <wrap|clamp>
bool ReadSampler(EffectReading& r, const Words& w) {
    if (w.size() != 4) return r.Fail("sampler needs a texture parameter, a filter and an address mode");
    SamplerDescription s;
    s.texture = w[1];
    if (w[2] != "point" && w[2] != "linear") return r.Fail("sampler filter '" + w[2] + "' is not point or linear");
    if (w[3] != "wrap" && w[3] != "clamp") return r.Fail("sampler address '" + w[3] + "' is not wrap or clamp");
    s.linear = w[2] == "linear";
    s.wrap = w[3] == "wrap";
    for (const SamplerDescription& other : r.result.samplers)
        if (other.texture == s.texture) return r.Fail("sampler for '" + s.texture + "' given twice");
    r.result.samplers.push_back(s);
    r.samplerLines.push_back(r.number);
    return true;
}

// program <vertex function> <fragment function>, once in a pass.
bool ReadProgram(EffectReading& r, const Words& w) {
    PassProgram* pass = r.CurrentPass();
    if (!pass) return r.Fail("program outside a pass");
    if (w.size() != 3 || !ValidName(w[1]) || !ValidName(w[2]))
        return r.Fail("program needs a vertex and a fragment function name");
    if (pass->HasProgram()) return r.Fail("pass '" + r.result.techniques.back().passes.back() + "' has two programs");
    pass->vertexFunction = w[1];
    pass->fragmentFunction = w[2];
    return true;
}

// state <name> <value>, in a pass.
bool ReadState(EffectReading& r, const Words& w) {
    PassProgram* pass = r.CurrentPass();
    if (!pass) return r.Fail("state outside a pass");
    if (w.size() != 3) return r.Fail("state needs a name and a value");
    const StateName* state = nullptr;
    for (const StateName& s : kStates)
        if (w[1] == s.name) state = &s;
    if (!state) return r.Fail("unknown state '" + w[1] + "'");
    PassState set{state->state, 0};
    if (!ParseStateValue(*state, w[2], set.value)) return r.Fail("state " + w[1] + " cannot be '" + w[2] + "'");
    pass->states.push_back(set);
    return true;
}

struct Keyword {
    const char* name;
    bool (*read)(EffectReading& r, const Words& w);
};
constexpr Keyword kKeywords[] = {
    {"param", ReadParam},     {"technique", ReadTechnique}, {"pass", ReadPass},   {"glsl", ReadGlsl},
    {"sampler", ReadSampler}, {"program", ReadProgram},     {"state", ReadState},
};

// What only the whole file shows: a glsl block closed, every sampler on a texture parameter, a
// technique with a pass at the end.
bool CheckWhole(EffectReading& r) {
    if (r.glslStart) {
        r.number = r.glslStart;
        return r.Fail("glsl without its end line");
    }
    for (size_t i = 0; i < r.result.samplers.size(); ++i) {
        bool texture = false;
        for (const ParamDescription& p : r.result.params)
            if (p.name == r.result.samplers[i].texture && p.type == ParamType::kTexture) texture = true;
        if (!texture) {
            r.number = r.samplerLines[i];
            return r.Fail("sampler names no texture parameter '" + r.result.samplers[i].texture + "'");
        }
    }
    if (r.result.techniques.empty()) return r.Fail("no technique");
    if (r.result.techniques.back().passes.empty())
        return r.Fail("technique '" + r.result.techniques.back().name + "' has no pass");
    return true;
}

}  // namespace

uint32_t FloatsPerElement(ParamType type) {
    switch (type) {
        case ParamType::kFloat4:
            return 4;
        case ParamType::kFloat4x4:
            return 16;
        case ParamType::kTexture:
            return 0;
        default:
            return 1;
    }
}

const char* ParamTypeName(ParamType type) {
    for (const TypeName& t : kTypes)
        if (t.type == type) return t.name;
    return "?";
}

SamplerDescription EffectDescription::SamplerFor(const std::string& texture) const {
    for (const SamplerDescription& s : samplers)
        if (s.texture == texture) return s;
    SamplerDescription fallback;
    fallback.texture = texture;
    return fallback;
}

bool ExpandEffectIncludes(const std::string& text, const EffectIncludeReader& read, std::string& out,
                          std::string& error) {
    static const std::string kKeyword = "include ";
    std::string expanded;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string where = "line " + std::to_string(number) + ": ";
        if (line.compare(0, kKeyword.size(), kKeyword) != 0) {
            expanded += line + "\n";
            continue;
        }
        std::string name = line.substr(kKeyword.size());
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
        // Only a file beside the effect: no folders, nothing hidden or above it.
        if (name.empty() || name[0] == '.' || name.find_first_of("/\\ \t") != std::string::npos) {
            error = where + "bad include name '" + name + "'";
            return false;
        }
        std::string included;
        if (!read(name, included)) {
            error = where + "cannot read include '" + name + "'";
            return false;
        }
        std::istringstream inner(included);
        std::string innerLine;
        while (std::getline(inner, innerLine)) {
            if (innerLine.compare(0, kKeyword.size(), kKeyword) == 0) {
                error = where + "'" + name + "' includes a file itself";
                return false;
            }
            expanded += innerLine + "\n";
        }
        if (expanded.size() > kMaxEffectFileSize) {
            error = where + "larger than " + std::to_string(kMaxEffectFileSize) + " bytes with '" + name + "'";
            return false;
        }
    }
    out = std::move(expanded);
    return true;
}

bool ParseEffectDescription(const std::string& text, EffectDescription& out, std::string& error) {
    if (text.size() > kMaxEffectFileSize) {
        error = "file larger than " + std::to_string(kMaxEffectFileSize) + " bytes";
        return false;
    }
    EffectReading r;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        ++r.number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (r.glslStart) {
            if (line == "end")
                r.glslStart = 0;
            else
                r.result.glsl += line + "\n";
            continue;
        }
        if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        Words w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        const Keyword* keyword = nullptr;
        for (const Keyword& k : kKeywords)
            if (w[0] == k.name) keyword = &k;
        if (!(keyword ? keyword->read(r, w) : r.Fail("unknown keyword '" + w[0] + "'"))) {
            error = r.error;
            return false;
        }
    }
    if (!CheckWhole(r)) {
        error = r.error;
        return false;
    }
    out = std::move(r.result);
    return true;
}

}  // namespace platform::gfx
