#pragma once
// Objects a graphics device creates. Each holds real memory and a reference count: the caller
// holds the first reference; the device's own bindings do not count as the caller's, so a
// released object that is still bound stays alive without keeping a reset from succeeding.
#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "platform/gfx/Types.h"

namespace platform::gfx {

class Device;

class DeviceObject {
public:
    DeviceObject(const DeviceObject&) = delete;
    DeviceObject& operator=(const DeviceObject&) = delete;

    uint32_t AddRef();
    // The references left; the object is gone once neither the caller nor the device holds it.
    uint32_t Release();
    Pool GetPool() const { return pool_; }
    uint32_t RefCount() const { return container_ ? container_->RefCount() : refs_; }
    // Changes whenever the content is written through the object (an unlock, a fill, a
    // written pixel); a texture's changes with any of its levels'.
    uint64_t Version() const { return version_; }
    // The texture a level belongs to, or null for an object of its own.
    const DeviceObject* Container() const { return container_; }

protected:
    // False while the object has given up what a reset must re-create (a font told that the
    // device is lost).
    virtual bool HoldsDeviceMemory() const { return true; }
    DeviceObject(Device* device, Pool pool);
    virtual ~DeviceObject();
    void Touch();
    Device* device_;

private:
    friend class Device;
    friend class Effect;
    friend class EffectPool;
    friend class Texture;
    void HoldByDevice();
    void DropByDevice();
    void DeleteIfUnused();

    Pool pool_;
    uint32_t refs_ = 1;
    uint32_t deviceRefs_ = 0;
    uint64_t version_ = 0;
    DeviceObject* container_ = nullptr;  // a texture level forwards its counts here
};

struct LockedRect {
    int32_t pitch = 0;
    void* bits = nullptr;
};

class Surface : public DeviceObject {
public:
    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    uint32_t GetFormat() const { return format_; }
    uint32_t Pitch() const { return width_ * BytesPerPixel(format_); }
    // The pixels, a pending fill written first.
    const uint8_t* Bits() const;
    Result LockRect(LockedRect& out);
    Result UnlockRect();
    bool IsLocked() const { return locked_; }
    // Fills every pixel with the colour (0xAARRGGBB; converted for float formats) or, for a
    // depth format, with the depth and stencil. The fill is kept pending and written into the
    // memory only when something reads or writes the pixels (a target cleared every frame and
    // never read back costs nothing); a later fill replaces a pending one.
    void Fill(uint32_t argb);
    void FillDepth(float z, uint32_t stencil);
    // The pixel as red, green, blue, alpha in 0..1 (float formats as stored); depth formats
    // give the depth in x.
    struct Color {
        float r, g, b, a;
    };
    Color ReadPixel(uint32_t x, uint32_t y) const;
    // Stores the colour in the surface's format (colour formats only).
    void WritePixel(uint32_t x, uint32_t y, const Color& color);

private:
    friend class Device;
    friend class Texture;
    friend struct platform::TestProbe<Surface>;
    Surface(Device* device, Pool pool, uint32_t width, uint32_t height, uint32_t format);
    // Writes the pending fill into the pixels (const: the pixels a reader sees do not change).
    void WritePendingFill() const;
    // Drops the pending fill: the caller overwrites every pixel.
    void DropPendingFill() { pending_.waiting = false; }
    // Every pixel is to become these bytes (one pixel of this surface's format).
    void SetPendingPixel(const uint8_t* pixel);
    // Over a pending fill, the rectangle is to become these bytes; false (nothing kept) when no
    // fill waits or it holds as many rectangles as it can.
    bool AddPendingArea(const Rect& area, const uint8_t* pixel);
    // The pixel of a pending fill that covers the surface in one colour, else null.
    const uint8_t* PendingPixel() const { return pending_.waiting && pending_.areas == 0 ? pending_.pixel : nullptr; }
    // One pixel of this surface's format to a colour and back (colour formats only).
    Color DecodePixel(const uint8_t* p) const;
    void EncodeColor(const Color& color, uint8_t* p) const;
    uint32_t width_, height_, format_;
    mutable std::vector<uint8_t> bits_;
    // A fill, then rectangles over it in order (a copy of one colour into part of the surface).
    struct PendingFill {
        static constexpr uint32_t kMostAreas = 4;
        bool waiting = false;
        uint8_t pixel[8] = {};
        uint32_t areas = 0;
        Rect area[kMostAreas];
        uint8_t areaPixel[kMostAreas][8] = {};
    };
    mutable PendingFill pending_;
    bool locked_ = false;
};

class BaseTexture : public DeviceObject {
public:
    virtual uint32_t Width() const = 0;
    virtual uint32_t Height() const = 0;
    virtual uint32_t Depth() const { return 1; }
    virtual uint32_t GetFormat() const = 0;

protected:
    using DeviceObject::DeviceObject;
};

class Texture : public BaseTexture {
public:
    ~Texture() override;
    uint32_t Width() const override { return levels_[0]->Width(); }
    uint32_t Height() const override { return levels_[0]->Height(); }
    uint32_t GetFormat() const override { return levels_[0]->GetFormat(); }
    uint32_t LevelCount() const { return static_cast<uint32_t>(levels_.size()); }
    uint32_t Usage() const { return usage_; }
    // A further reference to the level, released by the caller.
    Result GetSurfaceLevel(uint32_t level, Surface** out);
    Result LockRect(uint32_t level, LockedRect& out);
    Result UnlockRect(uint32_t level);
    // The level without taking a reference (for reading back).
    const Surface* Level(uint32_t level) const { return level < levels_.size() ? levels_[level] : nullptr; }

private:
    friend class Device;
    Texture(Device* device, Pool pool, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
            uint32_t format);
    std::vector<Surface*> levels_;
    uint32_t usage_;
};

struct LockedBox {
    int32_t rowPitch = 0;
    int32_t slicePitch = 0;
    void* bits = nullptr;
};

class VolumeTexture : public BaseTexture {
public:
    uint32_t Width() const override { return width_; }
    uint32_t Height() const override { return height_; }
    uint32_t Depth() const override { return depth_; }
    uint32_t GetFormat() const override { return format_; }
    Result LockBox(uint32_t level, LockedBox& out);
    Result UnlockBox(uint32_t level);
    const uint8_t* Bits() const { return bits_.data(); }

private:
    friend class Device;
    VolumeTexture(Device* device, Pool pool, uint32_t width, uint32_t height, uint32_t depth, uint32_t format);
    uint32_t width_, height_, depth_, format_;
    std::vector<uint8_t> bits_;
    bool locked_ = false;
};

// Vertex, index and instance data.
class Buffer : public DeviceObject {
public:
    uint32_t Length() const { return static_cast<uint32_t>(bytes_.size()); }
    // size 0 locks from offset to the end; a range past the end is refused.
    Result Lock(uint32_t offset, uint32_t size, void** data);
    Result Unlock();
    bool IsLocked() const { return locked_; }
    const uint8_t* Bytes() const { return bytes_.data(); }
    // The bytes the last unlock wrote: a copy one version behind needs only those.
    uint32_t LastWriteOffset() const { return writeOffset_; }
    uint32_t LastWriteSize() const { return writeSize_; }

protected:
    Buffer(Device* device, Pool pool, uint32_t length);

private:
    std::vector<uint8_t> bytes_;
    bool locked_ = false;
    uint32_t writeOffset_ = 0, writeSize_ = 0;
};

class VertexBuffer : public Buffer {
private:
    friend class Device;
    using Buffer::Buffer;
};

class IndexBuffer : public Buffer {
public:
    uint32_t GetFormat() const { return format_; }

private:
    friend class Device;
    IndexBuffer(Device* device, Pool pool, uint32_t length, uint32_t format)
        : Buffer(device, pool, length), format_(format) {}
    uint32_t format_;
};

struct VertexElement {
    uint16_t stream = 0;
    uint16_t offset = 0;
    uint8_t type = 0;
    uint8_t method = 0;
    uint8_t usage = 0;
    uint8_t usageIndex = 0;
};

// Survives a reset.
class VertexDeclaration : public DeviceObject {
public:
    const std::vector<VertexElement>& Elements() const { return elements_; }

private:
    friend class Device;
    VertexDeclaration(Device* device, std::vector<VertexElement> elements)
        : DeviceObject(device, Pool::kManaged), elements_(std::move(elements)) {}
    std::vector<VertexElement> elements_;
};

}  // namespace platform::gfx
