#include "platform/gfx/EffectFile.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

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

}  // namespace

uint32_t FloatsPerElement(ParamType type) {
    switch (type) {
    case ParamType::kFloat4: return 4;
    case ParamType::kFloat4x4: return 16;
    case ParamType::kTexture: return 0;
    default: return 1;
    }
}

const char* ParamTypeName(ParamType type) {
    for (const TypeName& t : kTypes)
        if (t.type == type) return t.name;
    return "?";
}

bool ParseEffectDescription(const std::string& text, EffectDescription& out, std::string& error) {
    EffectDescription result;
    if (text.size() > kMaxEffectFileSize) {
        error = "file larger than " + std::to_string(kMaxEffectFileSize) + " bytes";
        return false;
    }
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        const std::string& keyword = w[0];
        if (keyword == "param") {
            size_t at = 1;
            ParamDescription p;
            if (at < w.size() && w[at] == "shared") {
                p.shared = true;
                ++at;
            }
            if (w.size() - at < 2 || w.size() - at > 3) return fail("param needs a type, a name and an optional count");
            bool known = false;
            for (const TypeName& t : kTypes)
                if (w[at] == t.name) {
                    p.type = t.type;
                    known = true;
                }
            if (!known) return fail("unknown parameter type '" + w[at] + "'");
            p.name = w[at + 1];
            if (!ValidName(p.name)) return fail("bad parameter name '" + p.name + "'");
            if (at + 2 < w.size() && !ParseCount(w[at + 2], p.count))
                return fail("parameter count '" + w[at + 2] + "' is not 1 to " + std::to_string(kMaxParamCount));
            for (const ParamDescription& other : result.params)
                if (other.name == p.name) return fail("parameter '" + p.name + "' declared twice");
            result.params.push_back(p);
        } else if (keyword == "technique") {
            if (w.size() != 2 || !ValidName(w[1])) return fail("technique needs one name");
            for (const TechniqueDescription& other : result.techniques)
                if (other.name == w[1]) return fail("technique '" + w[1] + "' declared twice");
            if (!result.techniques.empty() && result.techniques.back().passes.empty())
                return fail("technique '" + result.techniques.back().name + "' has no pass");
            result.techniques.push_back({w[1], {}});
        } else if (keyword == "pass") {
            if (w.size() != 2 || !ValidName(w[1])) return fail("pass needs one name");
            if (result.techniques.empty()) return fail("pass '" + w[1] + "' outside a technique");
            result.techniques.back().passes.push_back(w[1]);
        } else {
            return fail("unknown keyword '" + keyword + "'");
        }
    }
    if (result.techniques.empty()) return fail("no technique");
    if (result.techniques.back().passes.empty())
        return fail("technique '" + result.techniques.back().name + "' has no pass");
    out = std::move(result);
    return true;
}

}  // namespace platform::gfx
