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
        case kFormatR32F:
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
    : DeviceObject(device, pool),
      width_(width),
      height_(height),
      format_(format),
      bits_(static_cast<size_t>(width) * height * BytesPerPixel(format)) {}

const uint8_t* Surface::Bits() const {
    WritePendingFill();
    return bits_.data();
}

Result Surface::LockRect(LockedRect& out) {
    if (locked_) return kInvalidCall;
    WritePendingFill();
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
    uint8_t pixel[8] = {};
    if (format_ == kFormatA16B16G16R16F) {
        const uint16_t half[4] = {ToHalf(Channel(argb, 16)), ToHalf(Channel(argb, 8)), ToHalf(Channel(argb, 0)),
                                  ToHalf(Channel(argb, 24))};
        std::memcpy(pixel, half, sizeof half);
    } else if (format_ == kFormatG32R32F) {
        const float rg[2] = {Channel(argb, 16), Channel(argb, 8)};
        std::memcpy(pixel, rg, sizeof rg);
    } else if (format_ == kFormatR32F) {
        const float r = Channel(argb, 16);
        std::memcpy(pixel, &r, sizeof r);
    } else if (BytesPerPixel(format_) == 4) {
        std::memcpy(pixel, &argb, 4);
    } else {
        Touch();
        return;
    }
    SetPendingPixel(pixel);
}

void Surface::FillDepth(float z, uint32_t stencil) {
    if (format_ != kFormatD24S8) return;
    float clamped = z < 0.0f ? 0.0f : (z > 1.0f ? 1.0f : z);
    uint32_t word = (static_cast<uint32_t>(std::lround(clamped * 16777215.0f)) << 8) | (stencil & 0xFFu);
    uint8_t pixel[8] = {};
    std::memcpy(pixel, &word, 4);
    SetPendingPixel(pixel);
}

void Surface::SetPendingPixel(const uint8_t* pixel) {
    pending_.waiting = true;
    pending_.areas = 0;
    std::memcpy(pending_.pixel, pixel, sizeof pending_.pixel);
    Touch();
}

bool Surface::AddPendingArea(const Rect& area, const uint8_t* pixel) {
    if (!pending_.waiting || pending_.areas == PendingFill::kMostAreas) return false;
    pending_.area[pending_.areas] = area;
    std::memcpy(pending_.areaPixel[pending_.areas], pixel, sizeof pending_.pixel);
    ++pending_.areas;
    Touch();
    return true;
}

namespace {

// Fills `bytes` bytes at p with copies of one pixel: the pixel, then the filled part doubled.
void Replicate(uint8_t* p, const uint8_t* pixel, size_t bpp, size_t bytes) {
    if (bytes < bpp) return;
    std::memcpy(p, pixel, bpp);
    for (size_t done = bpp; done < bytes; done *= 2) std::memcpy(p + done, p, std::min(done, bytes - done));
}

bool Inside(const Rect& r, uint32_t x, uint32_t y) {
    return static_cast<int64_t>(x) >= r.left && static_cast<int64_t>(x) < r.right && static_cast<int64_t>(y) >= r.top &&
           static_cast<int64_t>(y) < r.bottom;
}

}  // namespace

void Surface::WritePendingFill() const {
    if (!pending_.waiting) return;
    pending_.waiting = false;
    const size_t bpp = BytesPerPixel(format_);
    if (bpp == 0) return;
    Replicate(bits_.data(), pending_.pixel, bpp, bits_.size());
    for (uint32_t a = 0; a < pending_.areas; ++a) {
        const Rect& r = pending_.area[a];
        for (int32_t y = r.top; y < r.bottom; ++y)
            Replicate(bits_.data() + static_cast<size_t>(y) * Pitch() + static_cast<size_t>(r.left) * bpp,
                      pending_.areaPixel[a], bpp, static_cast<size_t>(r.right - r.left) * bpp);
    }
}

Surface::Color Surface::DecodePixel(const uint8_t* p) const {
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
    if (format_ == kFormatR32F) {
        float r;
        std::memcpy(&r, p, sizeof r);
        return {r, 0.0f, 1.0f, 1.0f};
    }
    uint32_t word;
    std::memcpy(&word, p, 4);
    if (format_ == kFormatD24S8) return {static_cast<float>(word >> 8) / 16777215.0f, 0, 0, 0};
    return {Channel(word, 16), Channel(word, 8), Channel(word, 0),
            format_ == kFormatX8R8G8B8 ? 1.0f : Channel(word, 24)};
}

void Surface::EncodeColor(const Color& c, uint8_t* p) const {
    if (format_ == kFormatA16B16G16R16F) {
        const uint16_t h[4] = {ToHalf(c.r), ToHalf(c.g), ToHalf(c.b), ToHalf(c.a)};
        std::memcpy(p, h, sizeof h);
    } else if (format_ == kFormatG32R32F) {
        const float rg[2] = {c.r, c.g};
        std::memcpy(p, rg, sizeof rg);
    } else if (format_ == kFormatR32F) {
        std::memcpy(p, &c.r, sizeof c.r);
    } else if (format_ == kFormatA8R8G8B8 || format_ == kFormatX8R8G8B8) {
        auto byte = [](float v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
        const uint32_t word = byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
        std::memcpy(p, &word, 4);
    }
}

Surface::Color Surface::ReadPixel(uint32_t x, uint32_t y) const {
    if (x >= width_ || y >= height_) return {0, 0, 0, 0};
    if (pending_.waiting) {
        for (uint32_t a = pending_.areas; a-- > 0;)
            if (Inside(pending_.area[a], x, y)) return DecodePixel(pending_.areaPixel[a]);
        return DecodePixel(pending_.pixel);
    }
    return DecodePixel(bits_.data() + static_cast<size_t>(y) * Pitch() +
                       static_cast<size_t>(x) * BytesPerPixel(format_));
}

void Surface::WritePixel(uint32_t x, uint32_t y, const Color& c) {
    if (x >= width_ || y >= height_) return;
    WritePendingFill();
    Touch();
    EncodeColor(c, bits_.data() + static_cast<size_t>(y) * Pitch() + static_cast<size_t>(x) * BytesPerPixel(format_));
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
    : BaseTexture(device, pool),
      width_(width),
      height_(height),
      depth_(depth),
      format_(format),
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
    writeOffset_ = offset;
    writeSize_ = size;
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
