#pragma once
// Carries out the graphics device's calls with OpenGL 3.3 core in the current context: every
// device object is mirrored by a GL object made when first needed and refreshed when its
// content version changes; effects' passes become programs. The device's back buffer is the
// window's own when the two have the same size: its draws go there with rows the other way
// round (row 0 of the executor's own targets is GL's first, the window's top row its last), and
// presenting only swaps. Otherwise it is a framebuffer object that presenting copies to the
// window, scaled and with rows flipped. Needs the GL context current on the calling thread.
#include <SDL.h>

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/TestProbe.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/Executor.h"
#include "platform/sdl/GlText.h"

namespace platform::sdl {

class GlExecutor : public gfx::Executor {
public:
    // Frames go to the window; beforeSwap (if any) sees each finished frame in the window's
    // back buffer before it is shown.
    GlExecutor(SDL_Window* window, std::function<void(const gfx::Device&)> beforeSwap);
    ~GlExecutor() override;
    GlExecutor(const GlExecutor&) = delete;
    GlExecutor& operator=(const GlExecutor&) = delete;

    void Draw(const gfx::Device& device, const gfx::Command& draw) override;
    void Clear(const gfx::Device& device, uint32_t flags, uint32_t argb, float z, uint32_t stencil) override;
    void StretchRect(const gfx::Device& device, const gfx::Surface& source, const gfx::Surface& destination,
                     const gfx::Rect& destinationRect) override;
    void Text(const gfx::Device& device, const gfx::Font& font, const gfx::Command& text) override;
    void Present(const gfx::Device& device) override;
    void Reset(const gfx::Device& device) override;
    void ObjectDestroyed(const gfx::DeviceObject& object) override;
    void EffectCreated(const gfx::Effect& effect) override;
    void EffectDestroyed(const gfx::Effect& effect) override;

    // The context is gone with every GL object in it: forget them all without deleting.
    void ContextLost();
    // A new context is current: programs are compiled again; everything else is re-created
    // from the device's objects when next used.
    void ContextRestored();

    // The back buffer's pixels as rows of red, green, blue, alpha from the top (alpha 255 for
    // a format without alpha); false when the device has drawn nothing into it yet.
    bool ReadBackBuffer(const gfx::Device& device, std::vector<uint8_t>& rgba) const;
    // What was logged (one line per effect that cannot draw), oldest first.
    const std::vector<std::string>& Messages() const { return messages_; }

private:
    friend struct platform::TestProbe<GlExecutor>;

    struct Uniform {
        int location;
        const gfx::ParamValue* value;
        uint32_t type;  // the GL type
        int count;
    };
    struct Sampler {
        int unit;
        const gfx::ParamValue* value;
        const gfx::SamplerDescription* settings;
        bool volume;
    };
    struct Program {
        unsigned name = 0;
        int clipPlanes = -1;
        int ySign = -1;
        std::vector<Uniform> uniforms;
        std::vector<Sampler> samplers;
    };
    // Per technique, per pass; a pass that cannot draw has name 0.
    using EffectPrograms = std::vector<std::vector<Program>>;

    struct GlTexture {
        unsigned name = 0;
        unsigned target = 0;
        uint64_t version = ~0ull;
        bool mipmapped = false;
    };
    struct GlBuffer {
        unsigned name = 0;
        uint64_t version = ~0ull;
    };
    // A colour surface of its own (the back buffer) is a texture; a depth surface a renderbuffer.
    struct GlSurface {
        unsigned name = 0;
        bool renderbuffer = false;
    };
    struct TargetKey {
        std::array<const gfx::Surface*, 4> colours{};
        const gfx::Surface* depth = nullptr;
        bool operator==(const TargetKey& o) const { return colours == o.colours && depth == o.depth; }
    };
    // Where the streams start is not part of the key: a vertex array is pointed again when it
    // changes, so instance records read from moving places do not make arrays without end.
    struct StreamKey {
        const gfx::VertexDeclaration* declaration = nullptr;
        std::array<const gfx::VertexBuffer*, 4> buffers{};
        std::array<uint32_t, 4> strides{};
        uint8_t instanced = 0;  // a bit per stream advancing once per instance
        const gfx::IndexBuffer* indices = nullptr;
        bool operator==(const StreamKey& o) const {
            return declaration == o.declaration && buffers == o.buffers && strides == o.strides &&
                   instanced == o.instanced && indices == o.indices;
        }
    };
    struct GlVertexArray {
        unsigned name = 0;
        std::array<uint32_t, 4> offsets{};
    };
    struct KeyHash {
        size_t operator()(const TargetKey& k) const;
        size_t operator()(const StreamKey& k) const;
    };
    // The GL state last set, so that unchanged states are not set again.
    struct StateCache {
        bool valid = false;
        bool depthTest, depthWrite, blend, cull;
        unsigned depthFunc, blendSource, blendDestination, blendEquation, cullFace, frontFace;
        uint32_t colourMask;
        uint32_t clipMask;
    };

    void Log(const std::string& line);
    void CompileEffect(const gfx::Effect& effect, bool log);
    void CreateText();
    void CreateSamplers();
    unsigned SamplerObject(bool linear, bool wrap, bool mipmapped);
    void ForgetAll();
    void DeleteAll();

    const GlTexture* TextureOf(const gfx::BaseTexture& texture);
    unsigned SurfaceTexture(const gfx::Surface& surface, int* level);
    unsigned DepthRenderbuffer(const gfx::Surface& surface);
    unsigned BufferOf(const gfx::Buffer& buffer);
    // Binds the framebuffer of the device's bound targets and sets the viewport; false when
    // target 0 cannot be drawn into.
    bool BindTargets(const gfx::Device& device);
    // Whether this frame's back buffer is the window's: decided at the frame's first use of a
    // target, from the sizes then, and kept until it is presented.
    bool BackBufferInWindow(const gfx::Device& device);
    // The framebuffer holding the surface, 0 for the window's back buffer.
    unsigned FramebufferOf(const gfx::Device& device, const gfx::Surface& surface);
    unsigned Framebuffer(const TargetKey& key);
    void BindVertexArray(const StreamKey& key, const std::array<uint32_t, 4>& offsets);
    // Points the attributes of the streams in the mask (a bit per stream) of the bound array.
    void PointAttributes(const StreamKey& key, const std::array<uint32_t, 4>& offsets, uint32_t streams);
    void ApplyStates(const gfx::Device& device);
    void SetUniforms(const gfx::Device& device, const Program& program);
    void DropVertexArraysUsing(const void* object);
    void DropFramebuffersUsing(const gfx::Surface* surface);

    SDL_Window* window_;
    std::function<void(const gfx::Device&)> beforeSwap_;
    std::vector<std::string> messages_;
    std::set<const gfx::Effect*> warned_;  // effects already named in the log
    bool warnedNoPass_ = false;

    std::unordered_map<const gfx::Effect*, EffectPrograms> programs_;
    std::unordered_map<const gfx::BaseTexture*, GlTexture> textures_;
    std::unordered_map<const gfx::Surface*, GlSurface> surfaces_;
    std::unordered_map<const gfx::Buffer*, GlBuffer> buffers_;
    std::unordered_map<TargetKey, unsigned, KeyHash> framebuffers_;
    std::unordered_map<StreamKey, GlVertexArray, KeyHash> vertexArrays_;
    std::array<unsigned, 8> samplers_{};
    StateCache state_;
    bool frameDecided_ = false;
    bool windowFrame_ = false;   // this frame's back buffer is the window's
    bool windowTarget_ = false;  // the bound framebuffer is the window's
    GlText text_;
    std::vector<int> intScratch_;
};

}  // namespace platform::sdl
