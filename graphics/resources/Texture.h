#pragma once
// Image resources: textures read from files, render buffers that the frame draws into (fixed
// or a fraction of the render size), and the back buffer seen as a render target.
#include <cstdint>

#include "core/FilePath.h"
#include "graphics/resources/Resource.h"
#include "platform/gfx/Device.h"

namespace Aperture {

namespace Resource {
class RenderBuffer;
}

// What the frame binds as its output and copies between.
class RenderTarget : public ApertureObject {
public:
    uint32_t GetWidth() const { return targetWidth; }
    uint32_t GetHeight() const { return targetHeight; }
    platform::gfx::Surface* GetSurface() const { return surface; }
    // Copies the whole source into the rectangle of this target with point sampling.
    virtual void CopyFrom(Resource::RenderBuffer* source, const platform::gfx::Rect* rectangle) = 0;
    virtual void Bind() = 0;
    virtual void Unbind() = 0;

protected:
    uint32_t targetWidth = 0;
    uint32_t targetHeight = 0;
    platform::gfx::Surface* surface = nullptr;
};

// The device's back buffer; owned by the device layer.
class FrameBuffer : public RenderTarget {
public:
    ~FrameBuffer() override;
    // Takes the device's render target 0; false when there is none.
    bool Initialize(platform::gfx::Device* device, uint32_t width, uint32_t height);
    void CopyFrom(Resource::RenderBuffer* source, const platform::gfx::Rect* rectangle) override;
    void Bind() override;
    void Unbind() override {}

private:
    platform::gfx::Device* device = nullptr;
};

namespace Resource {

class iTexture : public VolatileResource {
public:
    ~iTexture() override;
    platform::gfx::Texture* GetTexture() const { return texture; }
    uint32_t GetWidth() const { return width; }
    uint32_t GetHeight() const { return height; }
    // Every texel fully opaque (known for textures read from files).
    bool IsOpaque() const { return opaque; }

protected:
    using VolatileResource::VolatileResource;
    // Releases the texture; true when that dropped the last reference.
    bool ReleaseTexture();
    platform::gfx::Texture* texture = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    bool opaque = false;
};

// A texture read from an image file at the file's own size.
class Texture : public iTexture {
public:
    bool OnLostDevice() override { return ReleaseTexture(); }
    // A file that does not read is logged and leaves the texture not created; every reset
    // tries again.
    bool OnResetDevice() override;

private:
    friend class ResourceManager;
    explicit Texture(const SD::FilePath& file);
    SD::FilePath file;
};

class RenderBuffer : public iTexture, public RenderTarget {
public:
    ~RenderBuffer() override;
    // Both bases hold the same size.
    using iTexture::GetHeight;
    using iTexture::GetWidth;
    // Recomputes a relative size from the current render size first. False when the device
    // refused the texture.
    bool OnResetDevice() override;
    bool OnLostDevice() override;
    void CopyFrom(RenderBuffer* source, const platform::gfx::Rect* rectangle) override;
    // A buffer with a depth surface of its own binds it too; unbinding puts back the one it
    // replaced.
    void Bind() override;
    void Unbind() override;

    uint32_t GetFormat() const { return format; }
    bool IsRelative() const { return relative; }
    // Makes the buffer follow the render size at these fractions from its next creation.
    void SetScale(float x, float y) {
        relative = true;
        scaleX = x;
        scaleY = y;
    }

    // truncate(float(size) x scale), at least 1 so that a tiny render size still gives a
    // texture the device accepts.
    static uint32_t ScaledSize(uint32_t size, float scale);

private:
    friend class ResourceManager;
    RenderBuffer(uint32_t width, uint32_t height, uint32_t format, bool multisampled, bool depthOfItsOwn);
    // A buffer that follows the render size.
    RenderBuffer(float scaleX, float scaleY, uint32_t format, bool multisampled, bool depthOfItsOwn);
    void Resize(uint32_t newWidth, uint32_t newHeight);
    void ReleaseDepth();

    uint32_t format;
    bool multisampled;
    bool depthOfItsOwn = false;
    platform::gfx::Surface* depth = nullptr;
    // The depth surface bound before this buffer's own, bound again as it is unbound.
    platform::gfx::Surface* replacedDepth = nullptr;
    bool depthBound = false;
    bool relative = false;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
};

}  // namespace Resource
}  // namespace Aperture
