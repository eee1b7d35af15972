#include "graphics/resources/Texture.h"

#include <cmath>
#include <string>

#include "core/Logger.h"
#include "graphics/resources/ResourceManager.h"
#include "platform/gfx/ImageFile.h"

namespace Aperture {

namespace {

platform::gfx::Device* CurrentDevice() {
    Resource::ResourceManager* manager = Resource::ResourceManager::GetInstance();
    return manager ? manager->GetDevice() : nullptr;
}

// Whether every pixel of an 8-bit ARGB level has alpha 255 (a format without alpha is opaque).
bool IsOpaqueLevel(const platform::gfx::Surface& level) {
    if (level.GetFormat() == platform::gfx::kFormatX8R8G8B8) return true;
    if (level.GetFormat() != platform::gfx::kFormatA8R8G8B8) return false;
    const uint8_t* bits = level.Bits();
    const size_t size = size_t{level.Pitch()} * level.Height();
    for (size_t i = 3; i < size; i += 4)
        if (bits[i] != 255) return false;
    return true;
}

}  // namespace

FrameBuffer::~FrameBuffer() {
    if (surface) surface->Release();
}

bool FrameBuffer::Initialize(platform::gfx::Device* d, uint32_t width, uint32_t height) {
    if (surface) surface->Release();
    surface = nullptr;
    device = d;
    targetWidth = width;
    targetHeight = height;
    return d && !platform::gfx::Failed(d->GetRenderTarget(0, &surface));
}

void FrameBuffer::CopyFrom(Resource::RenderBuffer* source, const platform::gfx::Rect* rectangle) {
    if (!device || !surface || !source || !source->GetTexture()) return;
    platform::gfx::Surface* level = nullptr;
    if (platform::gfx::Failed(source->GetTexture()->GetSurfaceLevel(0, &level))) return;
    device->StretchRect(level, surface, rectangle);
    level->Release();
}

void FrameBuffer::Bind() {
    if (device && surface) device->SetRenderTarget(0, surface);
}

namespace Resource {

iTexture::~iTexture() {
    if (texture) texture->Release();
}

bool iTexture::ReleaseTexture() {
    if (!texture) return true;
    uint32_t left = texture->Release();
    texture = nullptr;
    return left == 0;
}

Texture::Texture(const SD::FilePath& filePath) : iTexture(kTypeTexture, filePath), file(filePath) { loaded = Load(); }

bool Texture::OnResetDevice() {
    platform::gfx::Device* device = CurrentDevice();
    if (!device) return false;
    std::string error;
    if (platform::gfx::Failed(platform::gfx::CreateTextureFromFile(device, file.fullPath,
                                                                   platform::gfx::kUsageAutoGenMipmap,
                                                                   platform::gfx::Pool::kDefault, &texture, &error))) {
        SD_WARNING(Debug::kLogError, "Texture \"%s\" not created: %s", file.fullPath, error.c_str());
        texture = nullptr;
        return false;
    }
    width = texture->Width();
    height = texture->Height();
    opaque = IsOpaqueLevel(*texture->Level(0));
    return true;
}

uint32_t RenderBuffer::ScaledSize(uint32_t size, float scale) {
    float scaled = static_cast<float>(size) * scale;
    if (!(scaled >= 1.0f)) return 1;
    return static_cast<uint32_t>(scaled);
}

RenderBuffer::~RenderBuffer() {
    if (surface) surface->Release();
    ReleaseDepth();
}

RenderBuffer::RenderBuffer(uint32_t w, uint32_t h, uint32_t f, bool ms, bool ownDepth)
    : format(f), multisampled(ms), depthOfItsOwn(ownDepth) {
    Resize(w, h);
    loaded = Load();
}

RenderBuffer::RenderBuffer(float sx, float sy, uint32_t f, bool ms, bool ownDepth)
    : format(f), multisampled(ms), depthOfItsOwn(ownDepth), relative(true), scaleX(sx), scaleY(sy) {
    loaded = Load();
}

void RenderBuffer::Resize(uint32_t newWidth, uint32_t newHeight) {
    width = targetWidth = newWidth;
    height = targetHeight = newHeight;
}

bool RenderBuffer::OnResetDevice() {
    platform::gfx::Device* device = CurrentDevice();
    ResourceManager* manager = ResourceManager::GetInstance();
    if (!device) return false;
    if (relative) Resize(ScaledSize(manager->GetRenderWidth(), scaleX), ScaledSize(manager->GetRenderHeight(), scaleY));
    platform::gfx::Result r = device->CreateTexture(width, height, 1, platform::gfx::kUsageRenderTarget, format,
                                                    platform::gfx::Pool::kDefault, &texture);
    if (platform::gfx::Failed(r)) {
        texture = nullptr;
        SD_WARNING(Debug::kLogError, "Render buffer of %ux%u in format %u not created (device result 0x%08X)", width,
                   height, format, static_cast<uint32_t>(r));
        return false;
    }
    if (depthOfItsOwn) {
        r = device->CreateDepthStencilSurface(width, height, platform::gfx::kFormatD24S8, &depth);
        if (platform::gfx::Failed(r)) {
            depth = nullptr;
            ReleaseTexture();
            SD_WARNING(Debug::kLogError,
                       "Depth surface of %ux%u for a render buffer not created (device result 0x%08X)", width, height,
                       static_cast<uint32_t>(r));
            return false;
        }
    }
    return true;
}

bool RenderBuffer::OnLostDevice() {
    if (surface) surface->Release();
    surface = nullptr;
    ReleaseDepth();
    ReleaseTexture();
    return true;
}

void RenderBuffer::ReleaseDepth() {
    if (replacedDepth) replacedDepth->Release();
    if (depth) depth->Release();
    replacedDepth = depth = nullptr;
    depthBound = false;
}

void RenderBuffer::CopyFrom(RenderBuffer* source, const platform::gfx::Rect* rectangle) {
    platform::gfx::Device* device = CurrentDevice();
    if (!device || !texture || !source || !source->texture) return;
    platform::gfx::Surface* from = nullptr;
    platform::gfx::Surface* to = nullptr;
    source->texture->GetSurfaceLevel(0, &from);
    texture->GetSurfaceLevel(0, &to);
    device->StretchRect(from, to, rectangle);
    from->Release();
    to->Release();
}

void RenderBuffer::Bind() {
    platform::gfx::Device* device = CurrentDevice();
    if (!device || !texture) return;
    if (!multisampled && !surface) texture->GetSurfaceLevel(0, &surface);
    if (surface) device->SetRenderTarget(0, surface);
    if (depth && !depthBound) {
        device->GetDepthStencilSurface(&replacedDepth);  // none bound leaves it null
        device->SetDepthStencilSurface(depth);
        depthBound = true;
    }
}

void RenderBuffer::Unbind() {
    if (depthBound) {
        if (platform::gfx::Device* device = CurrentDevice()) device->SetDepthStencilSurface(replacedDepth);
        if (replacedDepth) replacedDepth->Release();
        replacedDepth = nullptr;
        depthBound = false;
    }
    if (multisampled || !surface) return;
    surface->Release();
    surface = nullptr;
}

}  // namespace Resource
}  // namespace Aperture
