// The executor's programs: each effect pass's GLSL compiled and linked, its uniforms and
// samplers found by name once, and their values set from the effect at every draw.
#include "platform/sdl/GlExecutor.h"

#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <algorithm>
#include <cstring>

#include "platform/gfx/Device.h"
#include "platform/sdl/GlPrelude.h"
#include "platform/sdl/GlProgram.h"

namespace platform::sdl {
namespace {

// The stage's source: version, stage, prelude, the file's GLSL, and a main calling the function.
std::string StageSource(const char* stage, const std::string& glsl, const std::string& function) {
    return std::string("#version 330 core\n#define ") + stage + " 1\n" + kGlslPrelude + glsl + "void main() { " +
           function + "(); }\n";
}

bool Matches(gfx::ParamType type, GLenum glType) {
    switch (type) {
        case gfx::ParamType::kFloat:
            return glType == GL_FLOAT;
        case gfx::ParamType::kInt:
            return glType == GL_INT;
        case gfx::ParamType::kBool:
            return glType == GL_BOOL;
        case gfx::ParamType::kFloat4:
            return glType == GL_FLOAT_VEC4;
        case gfx::ParamType::kFloat4x4:
            return glType == GL_FLOAT_MAT4;
        case gfx::ParamType::kTexture:
            return glType == GL_SAMPLER_2D || glType == GL_SAMPLER_2D_ARRAY;
    }
    return false;
}

// A compiler log on one line.
std::string OneLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

}  // namespace

void GlExecutor::CreateText() {
    std::string error;
    if (!text_.Create(&error)) Log("Text is not drawn on OpenGL: " + OneLine(error));
}

void GlExecutor::CreateSamplers() {
    glGenSamplers(static_cast<GLsizei>(samplers_.size()), samplers_.data());
    for (int i = 0; i < static_cast<int>(samplers_.size()); ++i) {
        const bool linear = i & 1, wrap = i & 2, mipmapped = i & 4;
        const GLuint s = samplers_[i];
        glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
        glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER,
                            mipmapped ? (linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST)
                                      : (linear ? GL_LINEAR : GL_NEAREST));
        const GLint address = wrap ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        glSamplerParameteri(s, GL_TEXTURE_WRAP_S, address);
        glSamplerParameteri(s, GL_TEXTURE_WRAP_T, address);
        glSamplerParameteri(s, GL_TEXTURE_WRAP_R, address);
    }
}

unsigned GlExecutor::SamplerObject(bool linear, bool wrap, bool mipmapped) {
    return samplers_[(linear ? 1 : 0) | (wrap ? 2 : 0) | (mipmapped ? 4 : 0)];
}

void GlExecutor::EffectCreated(const gfx::Effect& effect) { CompileEffect(effect, true); }

void GlExecutor::EffectDestroyed(const gfx::Effect& effect) {
    auto it = programs_.find(&effect);
    if (it != programs_.end()) {
        for (auto& technique : it->second)
            for (Program& p : technique)
                if (p.name) glDeleteProgram(p.name);
        programs_.erase(it);
    }
    warned_.erase(&effect);
}

void GlExecutor::CompileEffect(const gfx::Effect& effect, bool log) {
    const gfx::EffectDescription& d = effect.Description();
    EffectPrograms programs(d.techniques.size());
    std::string problem;
    bool anyProgram = false;
    for (size_t t = 0; t < d.techniques.size(); ++t) {
        const gfx::TechniqueDescription& technique = d.techniques[t];
        programs[t].resize(technique.passes.size());
        for (size_t p = 0; p < technique.passes.size(); ++p) {
            if (p >= technique.programs.size() || !technique.programs[p].HasProgram()) continue;
            anyProgram = true;
            const gfx::PassProgram& pass = technique.programs[p];
            const std::string where = technique.name + "/" + technique.passes[p];
            std::string error;
            const GLuint program =
                LinkProgram(StageSource("QV_VERTEX", d.glsl, pass.vertexFunction).c_str(),
                            StageSource("QV_FRAGMENT", d.glsl, pass.fragmentFunction).c_str(), &error);
            if (!program) {
                if (problem.empty()) problem = where + " does not compile: " + OneLine(error);
                continue;
            }
            Program& out = programs[t][p];
            out.name = program;
            glUseProgram(program);
            GLint active = 0;
            glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &active);
            int unit = 0;
            for (GLint u = 0; u < active; ++u) {
                char name[256] = {};
                GLint size = 0;
                GLenum type = 0;
                glGetActiveUniform(program, static_cast<GLuint>(u), sizeof name, nullptr, &size, &type, name);
                std::string base = name;
                if (size_t bracket = base.find('['); bracket != std::string::npos) base.erase(bracket);
                const GLint location = glGetUniformLocation(program, base.c_str());
                if (location < 0) continue;
                if (base == "qv_clip_planes") {
                    out.clipPlanes = location;
                    continue;
                }
                if (base == "qv_y_sign") {
                    out.ySign = location;
                    continue;
                }
                const gfx::ParamValue* value = effect.GetValue(base);
                if (!value || !Matches(value->type, type)) continue;
                if (value->type == gfx::ParamType::kTexture) {
                    const gfx::SamplerDescription* settings = nullptr;
                    for (const gfx::SamplerDescription& s : d.samplers)
                        if (s.texture == base) settings = &s;
                    glUniform1i(location, unit);
                    out.samplers.push_back({unit++, value, settings, type == GL_SAMPLER_2D_ARRAY});
                } else {
                    out.uniforms.push_back(
                        {location, value, type,
                         static_cast<int>(std::min<uint32_t>(static_cast<uint32_t>(size), value->count))});
                }
            }
            glUseProgram(0);
        }
    }
    programs_[&effect] = std::move(programs);
    const std::string name = effect.Name().empty() ? std::string("(from text)") : effect.Name();
    if (!log || warned_.count(&effect)) return;
    if (!anyProgram) problem = "has no GLSL";
    if (problem.empty()) return;
    warned_.insert(&effect);
    Log("Effect \"" + name + "\" " + problem + "; its draws are skipped on OpenGL");
}

void GlExecutor::SetUniforms(const gfx::Device& device, const Program& program) {
    for (const Uniform& u : program.uniforms) {
        const float* f = u.value->floats.data();
        switch (u.type) {
            case GL_FLOAT:
                glUniform1fv(u.location, u.count, f);
                break;
            case GL_FLOAT_VEC4:
                glUniform4fv(u.location, u.count, f);
                break;
            case GL_FLOAT_MAT4:
                glUniformMatrix4fv(u.location, u.count, GL_FALSE, f);
                break;
            default:
                intScratch_.assign(f, f + u.count);
                glUniform1iv(u.location, u.count, intScratch_.data());
                break;
        }
    }
    if (program.clipPlanes >= 0) {
        // A plane left off is all zeros, which keeps every vertex: some drivers clip with the
        // distances written whether the plane is enabled or not.
        float planes[4 * gfx::Device::kMaxClipPlanes] = {};
        const uint32_t enabled = device.GetRenderState(gfx::kRsClipPlaneEnable);
        for (uint32_t i = 0; i < gfx::Device::kMaxClipPlanes; ++i)
            if ((enabled >> i) & 1) std::memcpy(planes + 4 * i, device.ClipPlane(i), 16);
        glUniform4fv(program.clipPlanes, gfx::Device::kMaxClipPlanes, planes);
    }
    if (program.ySign >= 0) glUniform1f(program.ySign, windowTarget_ ? 1.0f : -1.0f);
    for (const Sampler& s : program.samplers) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + s.unit));
        const GlTexture* t = s.value->texture ? TextureOf(*s.value->texture) : nullptr;
        const GLenum target = s.volume ? GL_TEXTURE_2D_ARRAY : GL_TEXTURE_2D;
        if (!t || t->target != target) {
            glBindTexture(target, 0);
            continue;
        }
        glBindTexture(target, t->name);
        const bool linear = s.settings ? s.settings->linear : true, wrap = s.settings ? s.settings->wrap : true;
        glBindSampler(static_cast<GLuint>(s.unit), SamplerObject(linear, wrap, t->mipmapped));
    }
    glActiveTexture(GL_TEXTURE0);
}

}  // namespace platform::sdl
