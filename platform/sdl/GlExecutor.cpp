#include "platform/sdl/GlExecutor.h"

#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include <cstdio>
#include <algorithm>
#include <cstring>

#include "platform/gfx/Device.h"
#include "platform/gfx/Font.h"
#include "platform/sdl/GlMapping.h"

namespace platform::sdl {

GlExecutor::GlExecutor(SDL_Window* window, std::function<void(const gfx::Device&)> beforeSwap)
    : window_(window), beforeSwap_(std::move(beforeSwap)) {
    CreateText();
    CreateSamplers();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

GlExecutor::~GlExecutor() { DeleteAll(); }

void GlExecutor::Log(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    messages_.push_back(line);
}

bool GlExecutor::BindTargets(const gfx::Device& device) {
    TargetKey key;
    for (uint32_t i = 0; i < gfx::Device::kMaxRenderTargets; ++i) key.colours[i] = device.BoundRenderTarget(i);
    const gfx::Surface* first = key.colours[0];
    if (!first) return false;
    // The window's back buffer has a depth buffer of its own, which its draws and clears use.
    windowTarget_ = first == device.BackBuffer() && BackBufferInWindow(device);
    if (windowTarget_) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    } else {
        // The bound depth surface (the swap chain's or one of its own); one smaller than the
        // target would clip the drawing to its size: left off.
        const gfx::Surface* depth = device.DepthStencil();
        if (depth && depth->Width() >= first->Width() && depth->Height() >= first->Height()) key.depth = depth;
        glBindFramebuffer(GL_FRAMEBUFFER, Framebuffer(key));
    }
    // The executor's own targets keep the device's rows, the window has them the other way round.
    const gfx::Viewport& view = device.GetViewport();
    const uint32_t bottom = windowTarget_ ? first->Height() - view.y - view.height : view.y;
    glViewport(static_cast<GLint>(view.x), static_cast<GLint>(bottom), static_cast<GLsizei>(view.width),
               static_cast<GLsizei>(view.height));
    return true;
}

bool GlExecutor::BackBufferInWindow(const gfx::Device& device) {
    if (!frameDecided_) {
        const gfx::Surface* back = device.BackBuffer();
        int width = 0, height = 0;
        SDL_GL_GetDrawableSize(window_, &width, &height);
        windowFrame_ = back && static_cast<int>(back->Width()) == width && static_cast<int>(back->Height()) == height;
        frameDecided_ = true;
    }
    return windowFrame_;
}

unsigned GlExecutor::FramebufferOf(const gfx::Device& device, const gfx::Surface& surface) {
    if (&surface == device.BackBuffer() && BackBufferInWindow(device)) return 0;
    TargetKey key;
    key.colours[0] = &surface;
    return Framebuffer(key);
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
    const GLenum source = BlendOf(state(gfx::kRsSrcBlend), GL_ONE),
                 destination = BlendOf(state(gfx::kRsDestBlend), GL_ZERO);
    if (force || source != state_.blendSource || destination != state_.blendDestination)
        glBlendFunc(source, destination);
    state_.blendSource = source;
    state_.blendDestination = destination;
    const GLenum equation = BlendEquationOf(state(gfx::kRsBlendOp));
    if (force || equation != state_.blendEquation) glBlendEquation(equation);
    state_.blendEquation = equation;

    // Rows are flipped on the way to the executor's own targets, which turns the engine's
    // screen winding into GL's counter-clockwise front faces; the window keeps it clockwise.
    // Culling the engine's counter-clockwise triangles culls GL's back.
    const uint32_t cull = state(gfx::kRsCullMode);
    toggle(GL_CULL_FACE, cull == gfx::kCullCw || cull == gfx::kCullCcw, state_.cull, force);
    const GLenum face = cull == gfx::kCullCw ? GL_FRONT : GL_BACK;
    const GLenum front = windowTarget_ ? GL_CW : GL_CCW;
    if (force || front != state_.frontFace) glFrontFace(front);
    state_.frontFace = front;
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
    unsigned mode = 0;
    int count = 0;
    if (!PrimitiveOf(draw.a[0], draw.op == gfx::Op::kDrawIndexedPrimitive ? draw.a[5] : draw.a[2], mode, count)) return;
    if (!BindTargets(device)) return;

    StreamKey key;
    std::array<uint32_t, 4> offsets{};
    key.declaration = device.GetVertexDeclaration();
    for (uint32_t s = 0; s < gfx::Device::kMaxStreams; ++s) {
        key.buffers[s] = device.StreamBuffer(s);
        if (!key.buffers[s]) continue;
        offsets[s] = device.StreamOffset(s);
        key.strides[s] = device.StreamStride(s);
        if (device.GetStreamSourceFreq(s) & gfx::kStreamInstanceData) key.instanced |= static_cast<uint8_t>(1u << s);
    }
    const bool indexed = draw.op == gfx::Op::kDrawIndexedPrimitive;
    if (indexed) key.indices = device.Indices();
    const uint32_t frequency = device.GetStreamSourceFreq(0);
    const GLsizei instances =
        (frequency & gfx::kStreamIndexedData)
            ? static_cast<GLsizei>(frequency & ~(gfx::kStreamIndexedData | gfx::kStreamInstanceData))
            : 1;

    ApplyStates(device);
    glUseProgram(program.name);
    SetUniforms(device, program);
    BindVertexArray(key, offsets);
    if (indexed) {
        const bool wide = key.indices->GetFormat() == gfx::kFormatIndex32;
        const uintptr_t offset = uintptr_t{draw.a[4]} * (wide ? 4 : 2);
        const GLint baseVertex = static_cast<GLint>(draw.a[1]);
        glDrawElementsInstancedBaseVertex(mode, count, wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                          reinterpret_cast<const void*>(offset), instances, baseVertex);
    } else {
        glDrawArraysInstanced(mode, static_cast<GLint>(draw.a[1]), count, instances);
    }
    // The array stays bound: draws of one batch bind the same one again, which the driver then
    // skips, where unbinding in between made it set up the vertex fetch anew for every draw.
    // Nothing here changes a bound array's state but BindVertexArray.
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

void GlExecutor::StretchRect(const gfx::Device& device, const gfx::Surface& source, const gfx::Surface& destination,
                             const gfx::Rect& r) {
    const GLuint read = FramebufferOf(device, source), drawn = FramebufferOf(device, destination);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, read);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawn);
    // The executor's targets keep row 0 first, the window last: between the two the rows flip.
    const GLint height = static_cast<GLint>(source.Height());
    const GLint top = drawn ? r.top : static_cast<GLint>(destination.Height()) - r.top;
    const GLint bottom = drawn ? r.bottom : static_cast<GLint>(destination.Height()) - r.bottom;
    glBlitFramebuffer(0, read ? 0 : height, static_cast<GLint>(source.Width()), read ? height : 0, r.left, top, r.right,
                      bottom, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void GlExecutor::Text(const gfx::Device& device, const gfx::Font& font, const gfx::Command& text) {
    if (!BindTargets(device)) return;
    const gfx::Surface* target = device.BoundRenderTarget(0);
    // The drawer puts back every state it changes, so the cached states stay true.
    text_.Draw(text, font.CellWidth(), font.LineHeight(), static_cast<int>(target->Width()),
               static_cast<int>(target->Height()), windowTarget_);
}

void GlExecutor::Present(const gfx::Device& device) {
    const gfx::Surface* frame = device.BackBuffer();
    if (!frame) return;
    if (!BackBufferInWindow(device)) {
        TargetKey key;
        key.colours[0] = frame;
        glBindFramebuffer(GL_READ_FRAMEBUFFER, Framebuffer(key));
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        int width = 0, height = 0;
        SDL_GL_GetDrawableSize(window_, &width, &height);
        glDrawBuffer(GL_BACK);
        // Row 0 of the frame goes to the top of the window, which is GL's last row.
        glBlitFramebuffer(0, 0, static_cast<GLint>(frame->Width()), static_cast<GLint>(frame->Height()), 0, height,
                          width, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (beforeSwap_) beforeSwap_(device);
    SDL_GL_SwapWindow(window_);
    frameDecided_ = false;
}

void GlExecutor::Reset(const gfx::Device&) {
    state_.valid = false;
    frameDecided_ = false;
}

bool GlExecutor::ReadBackBuffer(const gfx::Device& device, std::vector<uint8_t>& rgba) const {
    const gfx::Surface* frame = device.BackBuffer();
    if (!frame) return false;
    const bool window = frameDecided_ && windowFrame_;
    TargetKey key;
    key.colours[0] = frame;
    auto it = framebuffers_.find(key);
    if (!window && it == framebuffers_.end()) return false;
    const size_t row = static_cast<size_t>(frame->Width()) * 4;
    rgba.resize(row * frame->Height());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, window ? 0 : it->second);
    if (window) glReadBuffer(GL_BACK);
    glReadPixels(0, 0, static_cast<GLsizei>(frame->Width()), static_cast<GLsizei>(frame->Height()), GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    // The window's rows come bottom first.
    if (window)
        for (size_t top = 0, bottom = frame->Height() - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(rgba.begin() + top * row, rgba.begin() + (top + 1) * row, rgba.begin() + bottom * row);
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
    frameDecided_ = false;
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
    for (auto& [key, vao] : vertexArrays_) glDeleteVertexArrays(1, &vao.name);
    glDeleteSamplers(static_cast<GLsizei>(samplers_.size()), samplers_.data());
    text_.Release();
    ForgetAll();
}

void GlExecutor::ContextLost() { ForgetAll(); }

void GlExecutor::ContextRestored() {
    // First, while no name of the new context is taken: the drawer lets go of its old names.
    CreateText();
    CreateSamplers();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    std::vector<const gfx::Effect*> effects;
    for (const auto& [effect, programs] : programs_) effects.push_back(effect);
    for (const gfx::Effect* effect : effects) CompileEffect(*effect, false);
}

}  // namespace platform::sdl
