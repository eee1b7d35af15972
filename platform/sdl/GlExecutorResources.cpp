// The executor's mirrors of device objects: textures, surfaces and buffers made when first
// used and refreshed when their content version changes, framebuffers per set of targets and
// vertex arrays per declaration and streams; each goes with the object it mirrors.
#include "platform/sdl/GlExecutor.h"

#define GL_GLEXT_PROTOTYPES 1
#include <SDL_opengl.h>

#include "platform/gfx/Device.h"
#include "platform/sdl/GlMapping.h"

namespace platform::sdl {
namespace {

template <class T>
void HashIn(size_t& seed, const T& value) {
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
        HashIn(seed, k.strides[i]);
    }
    HashIn(seed, k.instanced);
    HashIn(seed, k.indices);
    return seed;
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
            glDeleteVertexArrays(1, &it->second.name);
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
    // A volume is read slice by slice (the particles' images): as layers, a filtered read takes
    // the four texels of one slice where a 3D texture's would take eight of two.
    t.target = volume ? GL_TEXTURE_2D_ARRAY : GL_TEXTURE_2D;
    glBindTexture(t.target, t.name);
    if (created && format.opaque) glTexParameteri(t.target, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    if (volume) {
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
        glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, format.internal, static_cast<GLsizei>(volume->Width()),
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
                glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(l), format.internal,
                             static_cast<GLsizei>(level->Width()), static_cast<GLsizei>(level->Height()), 0,
                             format.format, format.type, target ? nullptr : level->Bits());
            }
            if (autoMip) glGenerateMipmap(GL_TEXTURE_2D);
        }
        // Only the first level of a render target is drawn into: it is sampled without the rest.
        t.mipmapped = !target && (levels > 1 || autoMip);
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
    // Uploaded through the copy binding so that no vertex array's element binding changes.
    if (b.name && b.version + 1 == buffer.Version()) {
        // One write behind: only the bytes it wrote (instance records filled part by part).
        glBindBuffer(GL_COPY_WRITE_BUFFER, b.name);
        glBufferSubData(GL_COPY_WRITE_BUFFER, buffer.LastWriteOffset(), buffer.LastWriteSize(),
                        buffer.Bytes() + buffer.LastWriteOffset());
    } else {
        if (!b.name) glGenBuffers(1, &b.name);
        glBindBuffer(GL_COPY_WRITE_BUFFER, b.name);
        glBufferData(GL_COPY_WRITE_BUFFER, buffer.Length(), buffer.Bytes(), GL_DYNAMIC_DRAW);
    }
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
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  DepthRenderbuffer(*key.depth));
    framebuffers_.emplace(key, fbo);
    return fbo;
}

void GlExecutor::PointAttributes(const StreamKey& key, const std::array<uint32_t, 4>& offsets, uint32_t streams) {
    for (const gfx::VertexElement& e : key.declaration->Elements()) {
        const int location = AttributeLocation(e.usage, e.usageIndex);
        AttributeFormat format;
        if (!((streams >> e.stream) & 1) || location < 0 || !FormatOf(e.type, format) || !key.buffers[e.stream])
            continue;
        glBindBuffer(GL_ARRAY_BUFFER, buffers_[key.buffers[e.stream]].name);
        const uintptr_t offset = uintptr_t{offsets[e.stream]} + e.offset;
        glEnableVertexAttribArray(static_cast<GLuint>(location));
        glVertexAttribPointer(static_cast<GLuint>(location), format.size, format.type,
                              format.normalized ? GL_TRUE : GL_FALSE, static_cast<GLsizei>(key.strides[e.stream]),
                              reinterpret_cast<const void*>(offset));
        glVertexAttribDivisor(static_cast<GLuint>(location), (key.instanced >> e.stream) & 1);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void GlExecutor::BindVertexArray(const StreamKey& key, const std::array<uint32_t, 4>& offsets) {
    // Buffers first: their contents may have changed even when the array already exists.
    for (const gfx::VertexBuffer* b : key.buffers)
        if (b) BufferOf(*b);
    const GLuint indices = key.indices ? BufferOf(*key.indices) : 0;
    auto it = vertexArrays_.find(key);
    if (it != vertexArrays_.end()) {
        glBindVertexArray(it->second.name);
        // Streams read from another place in their buffers (instance records) are pointed again.
        uint32_t moved = 0;
        for (uint32_t s = 0; s < gfx::Device::kMaxStreams; ++s)
            if (it->second.offsets[s] != offsets[s]) moved |= 1u << s;
        if (moved) {
            PointAttributes(key, offsets, moved);
            it->second.offsets = offsets;
        }
        return;
    }
    GlVertexArray vao;
    glGenVertexArrays(1, &vao.name);
    glBindVertexArray(vao.name);
    PointAttributes(key, offsets, 0xF);
    if (indices) glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices);
    vao.offsets = offsets;
    vertexArrays_.emplace(key, vao);
}

}  // namespace platform::sdl
