#include "platform/gfx/Objects.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gfx/Device.h"
#include "platform/gfx/Executor.h"
#include "platform/gfx/Half.h"

namespace platform::gfx {
namespace {

float Channel(uint32_t argb, int shift) { return static_cast<float>((argb >> shift) & 0xFFu) / 255.0f; }

}  // namespace

uint32_t BytesPerPixel(uint32_t format) {
    switch (format) {
    case kFormatA8R8G8B8:
    case kFormatX8R8G8B8:
    case kFormatD24S8:
        return 4;
    case kFormatA16B16G16R16F:
    case kFormatG32R32F:
        return 8;
    default:
        return 0;
    }
}

DeviceObject::DeviceObject(Device* device, Pool pool) : device_(device), pool_(pool) {
    if (device_) device_->Track(this);
}

DeviceObject::~DeviceObject() {
    if (Executor* executor = InstalledExecutor()) executor->ObjectDestroyed(*this);
    if (device_) device_->Forget(this);
}

void DeviceObject::Touch() {
    ++version_;
    if (container_) ++container_->version_;
}

uint32_t DeviceObject::AddRef() {
    if (container_) return container_->AddRef();
    return ++refs_;
}

uint32_t DeviceObject::Release() {
    if (container_) return container_->Release();
    if (refs_ == 0) return 0;
    uint32_t left = --refs_;
    DeleteIfUnused();
    return left;
}

void DeviceObject::HoldByDevice() {
    if (container_) return container_->HoldByDevice();
    ++deviceRefs_;
}

void DeviceObject::DropByDevice() {
    if (container_) return container_->DropByDevice();
    if (deviceRefs_ > 0) --deviceRefs_;
    DeleteIfUnused();
}

void DeviceObject::DeleteIfUnused() {
    if (refs_ == 0 && deviceRefs_ == 0) delete this;
}

Surface::Surface(Device* device, Pool pool, uint32_t width, uint32_t height, uint32_t format)
    : DeviceObject(device, pool), width_(width), height_(height), format_(format),
      bits_(static_cast<size_t>(width) * height * BytesPerPixel(format)) {}

Result Surface::LockRect(LockedRect& out) {
    if (locked_) return kInvalidCall;
    locked_ = true;
    out.pitch = static_cast<int32_t>(Pitch());
    out.bits = bits_.data();
    return kOk;
}

Result Surface::UnlockRect() {
    if (!locked_) return kInvalidCall;
    locked_ = false;
    Touch();
    return kOk;
}

void Surface::Fill(uint32_t argb) {
    const size_t pixels = static_cast<size_t>(width_) * height_;
    uint8_t* p = bits_.data();
    if (format_ == kFormatA16B16G16R16F) {
        const uint16_t half[4] = {ToHalf(Channel(argb, 16)), ToHalf(Channel(argb, 8)), ToHalf(Channel(argb, 0)),
                                  ToHalf(Channel(argb, 24))};
        for (size_t i = 0; i < pixels; ++i) std::memcpy(p + 8 * i, half, sizeof half);
    } else if (format_ == kFormatG32R32F) {
        const float rg[2] = {Channel(argb, 16), Channel(argb, 8)};
        for (size_t i = 0; i < pixels; ++i) std::memcpy(p + 8 * i, rg, sizeof rg);
    } else if (BytesPerPixel(format_) == 4) {
        for (size_t i = 0; i < pixels; ++i) std::memcpy(p + 4 * i, &argb, 4);
    }
    Touch();
}

void Surface::FillDepth(float z, uint32_t stencil) {
    if (format_ != kFormatD24S8) return;
    float clamped = z < 0.0f ? 0.0f : (z > 1.0f ? 1.0f : z);
    uint32_t word = (static_cast<uint32_t>(std::lround(clamped * 16777215.0f)) << 8) | (stencil & 0xFFu);
    const size_t pixels = static_cast<size_t>(width_) * height_;
    for (size_t i = 0; i < pixels; ++i) std::memcpy(bits_.data() + 4 * i, &word, 4);
    Touch();
}

Surface::Color Surface::ReadPixel(uint32_t x, uint32_t y) const {
    Color c{0, 0, 0, 0};
    if (x >= width_ || y >= height_) return c;
    const uint8_t* p = bits_.data() + static_cast<size_t>(y) * Pitch() + static_cast<size_t>(x) * BytesPerPixel(format_);
    if (format_ == kFormatA16B16G16R16F) {
        uint16_t h[4];
        std::memcpy(h, p, sizeof h);
        return {FromHalf(h[0]), FromHalf(h[1]), FromHalf(h[2]), FromHalf(h[3])};
    }
    if (format_ == kFormatG32R32F) {
        float rg[2];
        std::memcpy(rg, p, sizeof rg);
        return {rg[0], rg[1], 1.0f, 1.0f};
    }
    uint32_t word;
    std::memcpy(&word, p, 4);
    if (format_ == kFormatD24S8) return {static_cast<float>(word >> 8) / 16777215.0f, 0, 0, 0};
    return {Channel(word, 16), Channel(word, 8), Channel(word, 0),
            format_ == kFormatX8R8G8B8 ? 1.0f : Channel(word, 24)};
}

void Surface::WritePixel(uint32_t x, uint32_t y, const Color& c) {
    if (x >= width_ || y >= height_) return;
    Touch();
    uint8_t* p = bits_.data() + static_cast<size_t>(y) * Pitch() + static_cast<size_t>(x) * BytesPerPixel(format_);
    if (format_ == kFormatA16B16G16R16F) {
        const uint16_t h[4] = {ToHalf(c.r), ToHalf(c.g), ToHalf(c.b), ToHalf(c.a)};
        std::memcpy(p, h, sizeof h);
    } else if (format_ == kFormatG32R32F) {
        const float rg[2] = {c.r, c.g};
        std::memcpy(p, rg, sizeof rg);
    } else if (format_ == kFormatA8R8G8B8 || format_ == kFormatX8R8G8B8) {
        auto byte = [](float v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
        const uint32_t word = byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
        std::memcpy(p, &word, 4);
    }
}

Texture::Texture(Device* device, Pool pool, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                 uint32_t format)
    : BaseTexture(device, pool), usage_(usage) {
    for (uint32_t i = 0; i < levels; ++i) {
        Surface* level = new Surface(nullptr, pool, width, height, format);
        level->container_ = this;
        levels_.push_back(level);
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
}

Texture::~Texture() {
    for (Surface* level : levels_) delete level;
}

Result Texture::GetSurfaceLevel(uint32_t level, Surface** out) {
    if (!out || level >= levels_.size()) return kInvalidCall;
    AddRef();
    *out = levels_[level];
    return kOk;
}

Result Texture::LockRect(uint32_t level, LockedRect& out) {
    if (level >= levels_.size()) return kInvalidCall;
    return levels_[level]->LockRect(out);
}

Result Texture::UnlockRect(uint32_t level) {
    if (level >= levels_.size()) return kInvalidCall;
    return levels_[level]->UnlockRect();
}

VolumeTexture::VolumeTexture(Device* device, Pool pool, uint32_t width, uint32_t height, uint32_t depth,
                             uint32_t format)
    : BaseTexture(device, pool), width_(width), height_(height), depth_(depth), format_(format),
      bits_(static_cast<size_t>(width) * height * depth * BytesPerPixel(format)) {}

Result VolumeTexture::LockBox(uint32_t level, LockedBox& out) {
    if (level != 0 || locked_) return kInvalidCall;
    locked_ = true;
    out.rowPitch = static_cast<int32_t>(width_ * BytesPerPixel(format_));
    out.slicePitch = out.rowPitch * static_cast<int32_t>(height_);
    out.bits = bits_.data();
    return kOk;
}

Result VolumeTexture::UnlockBox(uint32_t level) {
    if (level != 0 || !locked_) return kInvalidCall;
    locked_ = false;
    Touch();
    return kOk;
}

Buffer::Buffer(Device* device, Pool pool, uint32_t length) : DeviceObject(device, pool), bytes_(length) {}

Result Buffer::Lock(uint32_t offset, uint32_t size, void** data) {
    if (!data || locked_ || offset > bytes_.size()) return kInvalidCall;
    if (size == 0) size = static_cast<uint32_t>(bytes_.size()) - offset;
    if (size > bytes_.size() - offset) return kInvalidCall;
    locked_ = true;
    *data = bytes_.data() + offset;
    return kOk;
}

Result Buffer::Unlock() {
    if (!locked_) return kInvalidCall;
    locked_ = false;
    Touch();
    return kOk;
}

}  // namespace platform::gfx
