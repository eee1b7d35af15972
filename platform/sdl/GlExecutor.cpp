#include "platform/sdl/GlExecutor.h"

#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <cstdio>
#include <cstring>

#include "platform/gfx/Device.h"
#include "platform/gfx/Font.h"
#include "platform/sdl/GlPrelude.h"

namespace platform::sdl {
namespace {

// Vertex element types and usages as declarations give them.
enum ElementType : uint8_t {
    kFloat1 = 0, kFloat2 = 1, kFloat3 = 2, kFloat4 = 3, kColor = 4, kUByte4 = 5, kShort2 = 6, kShort4 = 7,
    kUByte4N = 8, kShort2N = 9, kShort4N = 10, kUShort2N = 11, kUShort4N = 12, kFloat16x2 = 15, kFloat16x4 = 16,
};
enum ElementUsage : uint8_t {
    kPosition = 0, kBlendWeight = 1, kBlendIndices = 2, kNormal = 3, kTexCoord = 5, kTangent = 6, kBinormal = 7,
    kColour = 10,
};

// The attribute location of a usage (as the prelude numbers them), -1 for one without.
int AttributeLocation(uint8_t usage, uint8_t index) {
    switch (usage) {
    case kPosition: return index == 0 ? 0 : -1;
    case kNormal: return index == 0 ? 1 : -1;
    case kColour: return index < 2 ? 2 + index : -1;
    case kTangent: return index == 0 ? 4 : -1;
    case kBinormal: return index == 0 ? 5 : -1;
    case kTexCoord: return index < 8 ? 6 + index : -1;
    case kBlendWeight: return index == 0 ? 14 : -1;
    case kBlendIndices: return index == 0 ? 15 : -1;
    default: return -1;
    }
}

struct AttributeFormat {
    GLint size;  // components, or GL_BGRA for a packed colour
    GLenum type;
    GLboolean normalized;
};
// False for a type that has no attribute format here.
bool FormatOf(uint8_t type, AttributeFormat& out) {
    switch (type) {
    case kFloat1: case kFloat2: case kFloat3: case kFloat4: out = {type + 1, GL_FLOAT, GL_FALSE}; return true;
    case kColor: out = {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE}; return true;
    case kUByte4: out = {4, GL_UNSIGNED_BYTE, GL_FALSE}; return true;
    case kUByte4N: out = {4, GL_UNSIGNED_BYTE, GL_TRUE}; return true;
    case kShort2: out = {2, GL_SHORT, GL_FALSE}; return true;
    case kShort4: out = {4, GL_SHORT, GL_FALSE}; return true;
    case kShort2N: out = {2, GL_SHORT, GL_TRUE}; return true;
    case kShort4N: out = {4, GL_SHORT, GL_TRUE}; return true;
    case kUShort2N: out = {2, GL_UNSIGNED_SHORT, GL_TRUE}; return true;
    case kUShort4N: out = {4, GL_UNSIGNED_SHORT, GL_TRUE}; return true;
    case kFloat16x2: out = {2, GL_HALF_FLOAT, GL_FALSE}; return true;
    case kFloat16x4: out = {4, GL_HALF_FLOAT, GL_FALSE}; return true;
    default: return false;
    }
}

struct PixelFormat {
    GLint internal;
    GLenum format;
    GLenum type;
    bool opaque;  // alpha reads 1
};
bool PixelFormatOf(uint32_t format, PixelFormat& out) {
    switch (format) {
    case gfx::kFormatA8R8G8B8: out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, false}; return true;
    case gfx::kFormatX8R8G8B8: out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, true}; return true;
    case gfx::kFormatA16B16G16R16F: out = {GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, false}; return true;
    case gfx::kFormatG32R32F: out = {GL_RG32F, GL_RG, GL_FLOAT, false}; return true;
    default: return false;
    }
}

GLenum CompareOf(uint32_t value) {
    static const GLenum kFunctions[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return value >= gfx::kCmpNever && value <= gfx::kCmpAlways ? kFunctions[value - 1] : GL_LEQUAL;
}

GLenum BlendOf(uint32_t value, GLenum fallback) {
    static const GLenum kFactors[] = {GL_ZERO, GL_ONE, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA,
                                      GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_DST_COLOR,
                                      GL_ONE_MINUS_DST_COLOR};
    return value >= gfx::kBlendZero && value <= gfx::kBlendInvDestColor ? kFactors[value - 1] : fallback;
}

GLenum BlendEquationOf(uint32_t value) {
    static const GLenum kEquations[] = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX};
    return value >= gfx::kBlendOpAdd && value <= gfx::kBlendOpMax ? kEquations[value - 1] : GL_FUNC_ADD;
}

// The GL primitive and the vertices or indices drawn for a primitive count.
bool PrimitiveOf(uint32_t type, uint32_t primitives, GLenum& mode, GLsizei& count) {
    switch (type) {
    case 1: mode = GL_POINTS; count = static_cast<GLsizei>(primitives); return true;
    case 2: mode = GL_LINES; count = static_cast<GLsizei>(primitives * 2); return true;
    case 3: mode = GL_LINE_STRIP; count = static_cast<GLsizei>(primitives + 1); return true;
    case 4: mode = GL_TRIANGLES; count = static_cast<GLsizei>(primitives * 3); return true;
    case 5: mode = GL_TRIANGLE_STRIP; count = static_cast<GLsizei>(primitives + 2); return true;
    case 6: mode = GL_TRIANGLE_FAN; count = static_cast<GLsizei>(primitives + 2); return true;
    default: return false;
    }
}

GLuint CompileStage(GLenum stage, const std::string& source, std::string& error) {
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    error = log;
    glDeleteShader(shader);
    return 0;
}

// The stage's source: version, stage, prelude, the file's GLSL, and a main calling the function.
std::string StageSource(const char* stage, const std::string& glsl, const std::string& function) {
    return std::string("#version 330 core\n#define ") + stage + " 1\n" + kGlslPrelude + glsl + "void main() { " +
           function + "(); }\n";
}

// A compiler log on one line.
std::string OneLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

bool Matches(gfx::ParamType type, GLenum glType) {
    switch (type) {
    case gfx::ParamType::kFloat: return glType == GL_FLOAT;
    case gfx::ParamType::kInt: return glType == GL_INT;
    case gfx::ParamType::kBool: return glType == GL_BOOL;
    case gfx::ParamType::kFloat4: return glType == GL_FLOAT_VEC4;
    case gfx::ParamType::kFloat4x4: return glType == GL_FLOAT_MAT4;
    case gfx::ParamType::kTexture: return glType == GL_SAMPLER_2D || glType == GL_SAMPLER_3D;
    }
    return false;
}

template <class T> void HashIn(size_t& seed, const T& value) {
    seed ^= std::hash<T>()(value) + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2);
}

}  // namespace

size_t GlExecutor::KeyHash::operator()(const TargetKey& k) const {
    size_t seed = 0;
    for (const gfx::Surface* s : k.colours) HashIn(seed, s);
    HashIn(seed, k.depth);
    return seed;
}

size_t GlExecutor::KeyHash::operator()(const StreamKey& k) const {
    size_t seed = 0;
    HashIn(seed, k.declaration);
    for (size_t i = 0; i < k.buffers.size(); ++i) {
        HashIn(seed, k.buffers[i]);
        HashIn(seed, k.offsets[i]);
        HashIn(seed, k.strides[i]);
    }
    HashIn(seed, k.instanced);
    HashIn(seed, k.indices);
    return seed;
}

GlExecutor::GlExecutor(SDL_Window* window, std::function<void(const gfx::Device&)> beforeSwap)
    : window_(window), beforeSwap_(std::move(beforeSwap)) {
    CreateSamplers();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

GlExecutor::~GlExecutor() { DeleteAll(); }

void GlExecutor::Log(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    messages_.push_back(line);
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
            const GLuint vs = CompileStage(GL_VERTEX_SHADER, StageSource("QV_VERTEX", d.glsl, pass.vertexFunction), error);
            const GLuint fs =
                vs ? CompileStage(GL_FRAGMENT_SHADER, StageSource("QV_FRAGMENT", d.glsl, pass.fragmentFunction), error) : 0;
            if (!fs) {
                if (vs) glDeleteShader(vs);
                if (problem.empty()) problem = where + " (" + (vs ? pass.fragmentFunction : pass.vertexFunction) +
                                               ") does not compile: " + OneLine(error);
                continue;
            }
            const GLuint program = glCreateProgram();
            glAttachShader(program, vs);
            glAttachShader(program, fs);
            glLinkProgram(program);
            glDeleteShader(vs);
            glDeleteShader(fs);
            GLint linked = 0;
            glGetProgramiv(program, GL_LINK_STATUS, &linked);
            if (!linked) {
                char text[2048] = {};
                glGetProgramInfoLog(program, sizeof text, nullptr, text);
                glDeleteProgram(program);
                if (problem.empty()) problem = where + " does not link: " + OneLine(text);
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
                const gfx::ParamValue* value = effect.GetValue(base);
                if (!value || !Matches(value->type, type)) continue;
                if (value->type == gfx::ParamType::kTexture) {
                    const gfx::SamplerDescription* settings = nullptr;
                    for (const gfx::SamplerDescription& s : d.samplers)
                        if (s.texture == base) settings = &s;
                    glUniform1i(location, unit);
                    out.samplers.push_back({unit++, value, settings, type == GL_SAMPLER_3D});
                } else {
                    out.uniforms.push_back(
                        {location, value, type, static_cast<int>(std::min<uint32_t>(static_cast<uint32_t>(size), value->count))});
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

void GlExecutor::ObjectDestroyed(const gfx::DeviceObject& object) {
    const void* key = &object;
    if (auto it = textures_.find(static_cast<const gfx::BaseTexture*>(key)); it != textures_.end()) {
        // Framebuffers holding its levels go with it (the levels go first, by their own calls).
        glDeleteTextures(1, &it->second.name);
        textures_.erase(it);
    }
    const auto* surface = static_cast<const gfx::Surface*>(key);
    DropFramebuffersUsing(surface);
    if (auto it = surfaces_.find(surface); it != surfaces_.end()) {
        if (it->second.renderbuffer)
            glDeleteRenderbuffers(1, &it->second.name);
        else
            glDeleteTextures(1, &it->second.name);
        surfaces_.erase(it);
    }
    if (auto it = buffers_.find(static_cast<const gfx::Buffer*>(key)); it != buffers_.end()) {
        glDeleteBuffers(1, &it->second.name);
        buffers_.erase(it);
    }
    DropVertexArraysUsing(key);
}

void GlExecutor::DropVertexArraysUsing(const void* object) {
    for (auto it = vertexArrays_.begin(); it != vertexArrays_.end();) {
        const StreamKey& k = it->first;
        bool uses = k.declaration == object || k.indices == object;
        for (const gfx::VertexBuffer* b : k.buffers) uses = uses || b == object;
        if (uses) {
            glDeleteVertexArrays(1, &it->second);
            it = vertexArrays_.erase(it);
        } else {
            ++it;
        }
    }
}

void GlExecutor::DropFramebuffersUsing(const gfx::Surface* surface) {
    for (auto it = framebuffers_.begin(); it != framebuffers_.end();) {
        bool uses = it->first.depth == surface;
        for (const gfx::Surface* s : it->first.colours) uses = uses || s == surface;
        if (uses) {
            glDeleteFramebuffers(1, &it->second);
            it = framebuffers_.erase(it);
        } else {
            ++it;
        }
    }
}

const GlExecutor::GlTexture* GlExecutor::TextureOf(const gfx::BaseTexture& texture) {
    GlTexture& t = textures_[&texture];
    if (t.name && t.version == texture.Version()) return &t;
    PixelFormat format;
    if (!PixelFormatOf(texture.GetFormat(), format)) return nullptr;
    const bool created = t.name == 0;
    if (created) glGenTextures(1, &t.name);
    const auto* volume = dynamic_cast<const gfx::VolumeTexture*>(&texture);
    t.target = volume ? GL_TEXTURE_3D : GL_TEXTURE_2D;
    glBindTexture(t.target, t.name);
    if (created && format.opaque) glTexParameteri(t.target, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    if (volume) {
        glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexImage3D(GL_TEXTURE_3D, 0, format.internal, static_cast<GLsizei>(volume->Width()),
                     static_cast<GLsizei>(volume->Height()), static_cast<GLsizei>(volume->Depth()), 0, format.format,
                     format.type, volume->Bits());
    } else {
        const auto& flat = static_cast<const gfx::Texture&>(texture);
        const bool target = flat.Usage() & gfx::kUsageRenderTarget;
        const bool autoMip = flat.Usage() & gfx::kUsageAutoGenMipmap;
        const uint32_t levels = flat.LevelCount();
        // Render targets' contents live here only: they get storage, never the device's bytes.
        if (created || !target) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(autoMip ? 1000 : levels - 1));
            for (uint32_t l = 0; l < levels; ++l) {
                const gfx::Surface* level = flat.Level(l);
                glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(l), format.internal, static_cast<GLsizei>(level->Width()),
                             static_cast<GLsizei>(level->Height()), 0, format.format, format.type,
                             target ? nullptr : level->Bits());
            }
            if (autoMip) glGenerateMipmap(GL_TEXTURE_2D);
        }
        t.mipmapped = levels > 1 || autoMip;
    }
    t.version = texture.Version();
    return &t;
}

unsigned GlExecutor::SurfaceTexture(const gfx::Surface& surface, int* level) {
    *level = 0;
    if (const auto* owner = static_cast<const gfx::Texture*>(surface.Container())) {
        for (uint32_t l = 0; l < owner->LevelCount(); ++l)
            if (owner->Level(l) == &surface) *level = static_cast<int>(l);
        const GlTexture* t = TextureOf(*owner);
        return t ? t->name : 0;
    }
    GlSurface& s = surfaces_[&surface];
    if (s.name) return s.name;
    PixelFormat format;
    if (!PixelFormatOf(surface.GetFormat(), format)) return 0;
    glGenTextures(1, &s.name);
    glBindTexture(GL_TEXTURE_2D, s.name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, format.internal, static_cast<GLsizei>(surface.Width()),
                 static_cast<GLsizei>(surface.Height()), 0, format.format, format.type, nullptr);
    return s.name;
}

unsigned GlExecutor::DepthRenderbuffer(const gfx::Surface& surface) {
    GlSurface& s = surfaces_[&surface];
    if (s.name) return s.name;
    s.renderbuffer = true;
    glGenRenderbuffers(1, &s.name);
    glBindRenderbuffer(GL_RENDERBUFFER, s.name);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(surface.Width()),
                          static_cast<GLsizei>(surface.Height()));
    return s.name;
}

unsigned GlExecutor::BufferOf(const gfx::Buffer& buffer) {
    GlBuffer& b = buffers_[&buffer];
    if (b.name && b.version == buffer.Version()) return b.name;
    if (!b.name) glGenBuffers(1, &b.name);
    // Uploaded through the copy binding so that no vertex array's element binding changes.
    glBindBuffer(GL_COPY_WRITE_BUFFER, b.name);
    glBufferData(GL_COPY_WRITE_BUFFER, buffer.Length(), buffer.Bytes(), GL_DYNAMIC_DRAW);
    b.version = buffer.Version();
    return b.name;
}

unsigned GlExecutor::Framebuffer(const TargetKey& key) {
    auto it = framebuffers_.find(key);
    if (it != framebuffers_.end()) return it->second;
    GLuint fbo = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    GLenum drawBuffers[4] = {GL_NONE, GL_NONE, GL_NONE, GL_NONE};
    for (size_t i = 0; i < key.colours.size(); ++i) {
        if (!key.colours[i]) continue;
        int level = 0;
        const GLuint texture = SurfaceTexture(*key.colours[i], &level);
        glFramebufferTexture2D(GL_FRAMEBUFFER, static_cast<GLenum>(GL_COLOR_ATTACHMENT0 + i), GL_TEXTURE_2D, texture,
                               level);
        drawBuffers[i] = static_cast<GLenum>(GL_COLOR_ATTACHMENT0 + i);
    }
    glDrawBuffers(4, drawBuffers);
    glReadBuffer(key.colours[0] ? GL_COLOR_ATTACHMENT0 : GL_NONE);
    if (key.depth)
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, DepthRenderbuffer(*key.depth));
    framebuffers_.emplace(key, fbo);
    return fbo;
}

bool GlExecutor::BindTargets(const gfx::Device& device) {
    TargetKey key;
    for (uint32_t i = 0; i < gfx::Device::kMaxRenderTargets; ++i) key.colours[i] = device.BoundRenderTarget(i);
    const gfx::Surface* first = key.colours[0];
    if (!first) return false;
    // A depth surface smaller than the target would clip the drawing to its size: left off.
    const gfx::Surface* depth = device.DepthStencil();
    if (depth && depth->Width() >= first->Width() && depth->Height() >= first->Height()) key.depth = depth;
    glBindFramebuffer(GL_FRAMEBUFFER, Framebuffer(key));
    glViewport(0, 0, static_cast<GLsizei>(first->Width()), static_cast<GLsizei>(first->Height()));
    return true;
}

void GlExecutor::ApplyStates(const gfx::Device& device) {
    auto state = [&](uint32_t s) { return device.GetRenderState(s); };
    auto toggle = [](GLenum cap, bool on, bool& cached, bool force) {
        if (!force && cached == on) return;
        cached = on;
        if (on)
            glEnable(cap);
        else
            glDisable(cap);
    };
    const bool force = !state_.valid;
    state_.valid = true;
    toggle(GL_DEPTH_TEST, state(gfx::kRsZEnable) != 0, state_.depthTest, force);
    const bool depthWrite = state(gfx::kRsZWriteEnable) != 0;
    if (force || depthWrite != state_.depthWrite) glDepthMask(depthWrite ? GL_TRUE : GL_FALSE);
    state_.depthWrite = depthWrite;
    const GLenum depthFunc = CompareOf(state(gfx::kRsZFunc));
    if (force || depthFunc != state_.depthFunc) glDepthFunc(depthFunc);
    state_.depthFunc = depthFunc;

    toggle(GL_BLEND, state(gfx::kRsAlphaBlendEnable) != 0, state_.blend, force);
    const GLenum source = BlendOf(state(gfx::kRsSrcBlend), GL_ONE), destination = BlendOf(state(gfx::kRsDestBlend), GL_ZERO);
    if (force || source != state_.blendSource || destination != state_.blendDestination) glBlendFunc(source, destination);
    state_.blendSource = source;
    state_.blendDestination = destination;
    const GLenum equation = BlendEquationOf(state(gfx::kRsBlendOp));
    if (force || equation != state_.blendEquation) glBlendEquation(equation);
    state_.blendEquation = equation;

    // Rows are flipped on the way to the target, which turns the engine's screen winding into
    // GL's counter-clockwise front faces: culling its counter-clockwise triangles culls GL's back.
    const uint32_t cull = state(gfx::kRsCullMode);
    toggle(GL_CULL_FACE, cull == gfx::kCullCw || cull == gfx::kCullCcw, state_.cull, force);
    const GLenum face = cull == gfx::kCullCw ? GL_FRONT : GL_BACK;
    if (force) glFrontFace(GL_CCW);
    if (force || face != state_.cullFace) glCullFace(face);
    state_.cullFace = face;

    const uint32_t mask = state(gfx::kRsColorWriteEnable) & 15;
    if (force || mask != state_.colourMask)
        glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
    state_.colourMask = mask;

    const uint32_t clip = state(gfx::kRsClipPlaneEnable) & 63;
    for (uint32_t i = 0; i < gfx::Device::kMaxClipPlanes; ++i) {
        const bool on = (clip >> i) & 1;
        if (force || on != (((state_.clipMask >> i) & 1) != 0)) {
            if (on)
                glEnable(GL_CLIP_DISTANCE0 + i);
            else
                glDisable(GL_CLIP_DISTANCE0 + i);
        }
    }
    state_.clipMask = clip;
}

void GlExecutor::SetUniforms(const gfx::Device& device, const Program& program) {
    for (const Uniform& u : program.uniforms) {
        const float* f = u.value->floats.data();
        switch (u.type) {
        case GL_FLOAT: glUniform1fv(u.location, u.count, f); break;
        case GL_FLOAT_VEC4: glUniform4fv(u.location, u.count, f); break;
        case GL_FLOAT_MAT4: glUniformMatrix4fv(u.location, u.count, GL_FALSE, f); break;
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
    for (const Sampler& s : program.samplers) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + s.unit));
        const GlTexture* t = s.value->texture ? TextureOf(*s.value->texture) : nullptr;
        const GLenum target = s.volume ? GL_TEXTURE_3D : GL_TEXTURE_2D;
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

unsigned GlExecutor::VertexArray(const StreamKey& key) {
    // Buffers first: their contents may have changed even when the array already exists.
    GLuint names[gfx::Device::kMaxStreams] = {};
    for (uint32_t s = 0; s < gfx::Device::kMaxStreams; ++s)
        if (key.buffers[s]) names[s] = BufferOf(*key.buffers[s]);
    const GLuint indices = key.indices ? BufferOf(*key.indices) : 0;
    auto it = vertexArrays_.find(key);
    if (it != vertexArrays_.end()) {
        glBindVertexArray(it->second);
        return it->second;
    }
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    for (const gfx::VertexElement& e : key.declaration->Elements()) {
        const int location = AttributeLocation(e.usage, e.usageIndex);
        AttributeFormat format;
        if (location < 0 || !FormatOf(e.type, format) || !names[e.stream]) continue;
        glBindBuffer(GL_ARRAY_BUFFER, names[e.stream]);
        const uintptr_t offset = uintptr_t{key.offsets[e.stream]} + e.offset;
        glEnableVertexAttribArray(static_cast<GLuint>(location));
        glVertexAttribPointer(static_cast<GLuint>(location), format.size, format.type, format.normalized,
                              static_cast<GLsizei>(key.strides[e.stream]), reinterpret_cast<const void*>(offset));
        glVertexAttribDivisor(static_cast<GLuint>(location), (key.instanced >> e.stream) & 1);
    }
    if (indices) glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    vertexArrays_.emplace(key, vao);
    return vao;
}

void GlExecutor::Draw(const gfx::Device& device, const gfx::Command& draw) {
    const gfx::ActivePass& active = device.ActiveEffectPass();
    if (!active.effect) {
        if (!warnedNoPass_) Log("A draw without an effect pass is skipped on OpenGL");
        warnedNoPass_ = true;
        return;
    }
    auto found = programs_.find(active.effect);
    // An effect made before this executor was installed is compiled when first drawn with.
    if (found == programs_.end()) {
        CompileEffect(*active.effect, true);
        found = programs_.find(active.effect);
    }
    if (found == programs_.end() || active.technique >= found->second.size() ||
        active.pass >= found->second[active.technique].size())
        return;
    const Program& program = found->second[active.technique][active.pass];
    if (!program.name) return;
    GLenum mode = 0;
    GLsizei count = 0;
    if (!PrimitiveOf(draw.a[0], draw.op == gfx::Op::kDrawIndexedPrimitive ? draw.a[5] : draw.a[2], mode, count)) return;
    if (!BindTargets(device)) return;

    StreamKey key;
    key.declaration = device.GetVertexDeclaration();
    for (uint32_t s = 0; s < gfx::Device::kMaxStreams; ++s) {
        key.buffers[s] = device.StreamBuffer(s);
        if (!key.buffers[s]) continue;
        key.offsets[s] = device.StreamOffset(s);
        key.strides[s] = device.StreamStride(s);
        if (device.GetStreamSourceFreq(s) & gfx::kStreamInstanceData) key.instanced |= static_cast<uint8_t>(1u << s);
    }
    const bool indexed = draw.op == gfx::Op::kDrawIndexedPrimitive;
    if (indexed) key.indices = device.Indices();
    const uint32_t frequency = device.GetStreamSourceFreq(0);
    const GLsizei instances = (frequency & gfx::kStreamIndexedData)
                                  ? static_cast<GLsizei>(frequency & ~(gfx::kStreamIndexedData | gfx::kStreamInstanceData))
                                  : 1;

    ApplyStates(device);
    glUseProgram(program.name);
    SetUniforms(device, program);
    VertexArray(key);
    if (indexed) {
        const bool wide = key.indices->GetFormat() == gfx::kFormatIndex32;
        const uintptr_t offset = uintptr_t{draw.a[4]} * (wide ? 4 : 2);
        const GLint baseVertex = static_cast<GLint>(draw.a[1]);
        glDrawElementsInstancedBaseVertex(mode, count, wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                          reinterpret_cast<const void*>(offset), instances, baseVertex);
    } else {
        glDrawArraysInstanced(mode, static_cast<GLint>(draw.a[1]), count, instances);
    }
    glBindVertexArray(0);
}

void GlExecutor::Clear(const gfx::Device& device, uint32_t flags, uint32_t argb, float z, uint32_t stencil) {
    if (!BindTargets(device)) return;
    GLbitfield mask = 0;
    if (flags & gfx::kClearTarget) {
        mask |= GL_COLOR_BUFFER_BIT;
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        state_.colourMask = 15;
        glClearColor(static_cast<float>((argb >> 16) & 255) / 255.0f, static_cast<float>((argb >> 8) & 255) / 255.0f,
                     static_cast<float>(argb & 255) / 255.0f, static_cast<float>(argb >> 24) / 255.0f);
    }
    if (flags & gfx::kClearZBuffer) {
        mask |= GL_DEPTH_BUFFER_BIT;
        glDepthMask(GL_TRUE);
        state_.depthWrite = true;
        glClearDepth(z);
    }
    if (flags & gfx::kClearStencil) {
        mask |= GL_STENCIL_BUFFER_BIT;
        glStencilMask(0xFF);
        glClearStencil(static_cast<GLint>(stencil & 0xFF));
    }
    if (mask) glClear(mask);
}

void GlExecutor::StretchRect(const gfx::Device&, const gfx::Surface& source, const gfx::Surface& destination,
                             const gfx::Rect& r) {
    TargetKey from, to;
    from.colours[0] = &source;
    to.colours[0] = &destination;
    const GLuint read = Framebuffer(from), drawn = Framebuffer(to);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, read);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawn);
    // Both keep row 0 first, so the copy needs no flip.
    glBlitFramebuffer(0, 0, static_cast<GLint>(source.Width()), static_cast<GLint>(source.Height()), r.left, r.top,
                      r.right, r.bottom, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void GlExecutor::Text(const gfx::Device&, const gfx::Font&, const gfx::Command&) {
    // Text is drawn by the bitmap-font text drawer; without one, text stays in the record only.
}

void GlExecutor::Present(const gfx::Device& device) {
    const gfx::Surface* frame = device.BackBuffer();
    if (!frame) return;
    TargetKey key;
    key.colours[0] = frame;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, Framebuffer(key));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window_, &width, &height);
    glDrawBuffer(GL_BACK);
    // Row 0 of the frame goes to the top of the window, which is GL's last row.
    glBlitFramebuffer(0, 0, static_cast<GLint>(frame->Width()), static_cast<GLint>(frame->Height()), 0, height, width,
                      0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (beforeSwap_) beforeSwap_(device);
    SDL_GL_SwapWindow(window_);
}

void GlExecutor::Reset(const gfx::Device&) { state_.valid = false; }

bool GlExecutor::ReadBackBuffer(const gfx::Device& device, std::vector<uint8_t>& rgba) const {
    const gfx::Surface* frame = device.BackBuffer();
    if (!frame) return false;
    TargetKey key;
    key.colours[0] = frame;
    auto it = framebuffers_.find(key);
    if (it == framebuffers_.end()) return false;
    rgba.resize(static_cast<size_t>(frame->Width()) * frame->Height() * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, it->second);
    glReadPixels(0, 0, static_cast<GLsizei>(frame->Width()), static_cast<GLsizei>(frame->Height()), GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    if (frame->GetFormat() == gfx::kFormatX8R8G8B8)
        for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
    return true;
}

void GlExecutor::ForgetAll() {
    for (auto& [effect, programs] : programs_)
        for (auto& technique : programs)
            for (Program& p : technique) p = Program{};
    textures_.clear();
    surfaces_.clear();
    buffers_.clear();
    framebuffers_.clear();
    vertexArrays_.clear();
    samplers_.fill(0);
    state_.valid = false;
}

void GlExecutor::DeleteAll() {
    for (auto& [effect, programs] : programs_)
        for (auto& technique : programs)
            for (Program& p : technique)
                if (p.name) glDeleteProgram(p.name);
    for (auto& [object, t] : textures_) glDeleteTextures(1, &t.name);
    for (auto& [object, s] : surfaces_) {
        if (s.renderbuffer)
            glDeleteRenderbuffers(1, &s.name);
        else
            glDeleteTextures(1, &s.name);
    }
    for (auto& [object, b] : buffers_) glDeleteBuffers(1, &b.name);
    for (auto& [key, fbo] : framebuffers_) glDeleteFramebuffers(1, &fbo);
    for (auto& [key, vao] : vertexArrays_) glDeleteVertexArrays(1, &vao);
    glDeleteSamplers(static_cast<GLsizei>(samplers_.size()), samplers_.data());
    ForgetAll();
}

void GlExecutor::ContextLost() { ForgetAll(); }

void GlExecutor::ContextRestored() {
    CreateSamplers();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    std::vector<const gfx::Effect*> effects;
    for (const auto& [effect, programs] : programs_) effects.push_back(effect);
    for (const gfx::Effect* effect : effects) CompileEffect(*effect, false);
}

}  // namespace platform::sdl
