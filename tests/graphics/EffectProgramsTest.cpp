#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gfx/EffectFile.h"
#include "support/TempTree.h"

namespace {

using platform::gfx::EffectDescription;
using platform::gfx::ParamType;

struct ProjectEffect {
    std::string file;
    EffectDescription description;
};

// Every effect file of the project's shader folder, parsed; a file that does not parse fails.
std::vector<ProjectEffect> ProjectEffects() {
    std::vector<ProjectEffect> effects;
    for (const auto& entry : std::filesystem::directory_iterator(qvtest::SourceDir() + "/Graphics/shaders")) {
        if (entry.path().extension() != ".fx") continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        ProjectEffect effect{entry.path().filename().string(), {}};
        std::string error;
        EXPECT_TRUE(platform::gfx::ParseEffectDescription(text.str(), effect.description, error))
            << effect.file << ": " << error;
        effects.push_back(std::move(effect));
    }
    return effects;
}

// The GLSL type a parameter is declared with.
std::string GlslType(ParamType type) {
    switch (type) {
        case ParamType::kFloat:
            return "float";
        case ParamType::kInt:
            return "int";
        case ParamType::kBool:
            return "bool";
        case ParamType::kFloat4:
            return "vec4";
        case ParamType::kFloat4x4:
            return "mat4";
        case ParamType::kTexture:
            return "sampler";
    }
    return "";
}

TEST(EffectPrograms, TheProjectsEffectFilesAllRead) {
    bool sharedEffect = false;
    for (const ProjectEffect& effect : ProjectEffects()) sharedEffect |= effect.file == "forward_phong_illum.fx";
    EXPECT_TRUE(sharedEffect);
}

// An effect with GLSL gives every pass a program whose two functions its GLSL defines: a pass
// without one would be skipped on a real device.
TEST(EffectPrograms, EveryPassOfAnEffectWithGlslHasAProgramItDefines) {
    for (const ProjectEffect& effect : ProjectEffects()) {
        if (effect.description.glsl.empty()) continue;
        for (const auto& technique : effect.description.techniques) {
            for (size_t pass = 0; pass < technique.passes.size(); ++pass) {
                const std::string where = effect.file + " " + technique.name + "/" + technique.passes[pass];
                const auto& program = technique.programs[pass];
                ASSERT_TRUE(program.HasProgram()) << where;
                for (const std::string& function : {program.vertexFunction, program.fragmentFunction})
                    EXPECT_TRUE(std::regex_search(effect.description.glsl,
                                                  std::regex("\\bvoid\\s+" + function + "\\s*\\(\\s*\\)")))
                        << where << ": " << function << " is not defined";
            }
        }
    }
}

// Every uniform of an effect's GLSL is one of its parameters, of the matching type and count,
// so that the device's values reach it.
TEST(EffectPrograms, EveryUniformIsAParameterOfItsType) {
    const std::regex uniform(R"(^\s*uniform\s+(\w+)\s+(\w+)\s*(?:\[\s*(\d+)\s*\])?\s*;)");
    for (const ProjectEffect& effect : ProjectEffects()) {
        std::map<std::string, const platform::gfx::ParamDescription*> params;
        for (const auto& param : effect.description.params) params[param.name] = &param;
        std::istringstream lines(effect.description.glsl);
        for (std::string line; std::getline(lines, line);) {
            std::smatch m;
            if (!std::regex_search(line, m, uniform)) continue;
            const std::string where = effect.file + ": uniform " + m[2].str();
            auto found = params.find(m[2].str());
            ASSERT_NE(found, params.end()) << where << " is not a parameter";
            const std::string type = GlslType(found->second->type);
            EXPECT_EQ(m[1].str().compare(0, type.size(), type), 0) << where << " is a " << type;
            const uint32_t count = m[3].matched ? static_cast<uint32_t>(std::stoul(m[3].str())) : 1u;
            EXPECT_EQ(count, found->second->count) << where;
        }
    }
}

}  // namespace
