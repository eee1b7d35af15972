#pragma once
// Geometry on the device: vertex buffers of 56-byte mesh vertices, 16-bit index buffers that
// keep a CPU copy to rebuild from after a reset, and instance buffers of stream-1 records.
#include <cstdint>
#include <vector>

#include "graphics/resources/Resource.h"
#include "graphics/resources/Vertex.h"
#include "platform/gfx/Objects.h"

namespace Aperture::Resource {

class Effect;

constexpr uint32_t kUsageDynamic = 0x200;
constexpr uint32_t kUsageWriteOnly = 0x8;

template <class T>
class VertexBuffer : public StaticResource {
public:
    ~VertexBuffer() override;
    // Creates the device buffer: dynamic ones in the default pool, the others managed.
    bool Load() override;
    bool Unload() override;
    // Copies count vertices into the whole buffer; false when it is not loaded or the lock fails.
    bool Fill(const MeshVertexData* vertices);

    platform::gfx::VertexBuffer* GetBuffer() const { return buffer; }
    uint32_t GetCount() const { return count; }
    uint32_t GetSizeBytes() const { return sizeBytes; }
    uint32_t GetUsage() const { return usage; }

private:
    friend class ResourceManager;
    explicit VertexBuffer(uint32_t vertexCount, bool dynamic = false);

    platform::gfx::VertexBuffer* buffer = nullptr;
    uint32_t count;
    uint32_t sizeBytes;
    void* lockedData = nullptr;
    bool dynamic;
    uint32_t usage = 0;
};

class IndexBuffer : public iResource {
public:
    ~IndexBuffer() override;
    // Creates the device buffer and copies the CPU indices into it. An empty index list or a
    // refused creation leaves it unloaded and nothing is locked.
    bool Load() override;
    // True when the release dropped the last reference.
    bool Unload() override;

    platform::gfx::IndexBuffer* GetBuffer() const { return buffer; }
    const std::vector<uint16_t>& GetIndices() const { return indices; }

private:
    friend class ResourceManager;
    IndexBuffer(const uint16_t* data, uint16_t count);

    platform::gfx::IndexBuffer* buffer = nullptr;
    std::vector<uint16_t> indices;
};

// What one instanced draw reads of an instance buffer: its device buffer (no reference is
// taken: the view lives only for the draw), the number of instances and the byte offset of the
// first record.
struct InstanceDrawView {
    platform::gfx::VertexBuffer* buffer = nullptr;
    uint32_t count = 0;
    uint32_t offsetBytes = 0;
};

template <class T>
class InstanceBuffer : public iResource {
public:
    // The view of the records written by the last lock, from the first record.
    InstanceDrawView View() const { return {buffer, count, 0}; }
    // The view of `n` records from record `first`, for batches in one buffer.
    InstanceDrawView View(uint32_t first, uint32_t n) const { return {buffer, n, first * RecordSize()}; }
    ~InstanceBuffer() override;
    bool Load() override;
    bool Unload() override;
    // Locks n records from the start offset for writing and sets the draw count to n; null
    // when the buffer is not loaded, n exceeds the capacity or the lock fails.
    void* Lock(uint32_t n);
    void Unlock();
    // Light volumes: the whole buffer from the start offset, with the count left at 0 for the
    // caller to pass the number written to the draw.
    void* LockAll();
    // Particles: copies `bytes` of records (whole records only, at most the capacity) and
    // unlocks; the count becomes the number of records. False when nothing was written.
    bool Fill(const void* records, uint32_t bytes);

    static uint32_t RecordSize() { return TemplateVertex<T>::InstanceStride(); }
    platform::gfx::VertexBuffer* GetBuffer() const { return buffer; }
    uint32_t GetCount() const { return count; }
    uint32_t GetCapacity() const { return capacity; }
    uint32_t GetSizeBytes() const { return sizeBytes; }
    uint32_t GetOffset() const { return offset; }
    bool IsDynamic() const { return dynamic; }

private:
    friend class ResourceManager;
    InstanceBuffer();

    platform::gfx::VertexBuffer* buffer = nullptr;
    void* lockedData = nullptr;
    uint32_t count;
    uint32_t offset = 0;
    uint32_t capacity;
    uint32_t sizeBytes;
    bool dynamic;
};

// Binds the vertex buffer on stream 0 (stride 56) and the index buffer, then draws the whole
// triangles of the index list once per effect pass; a pass count of 0 only binds.
void DrawIndexedBuffers(IndexBuffer* indexBuffer, VertexBuffer<MeshVertex>* vertexBuffer, Effect* effect,
                        unsigned passCount);

// Draws the mesh once per instance of the view: stream 0 repeats the mesh `count` times,
// stream 1 advances one record of `stride` bytes per instance; the frequencies go back to 1
// afterwards. Nothing is drawn from a missing buffer or an empty view.
void DrawInstancedBuffers(VertexBuffer<MeshVertex>* vertexBuffer, Effect* effect, unsigned passCount,
                          IndexBuffer* indexBuffer, const InstanceDrawView& instances, uint32_t stride);

}  // namespace Aperture::Resource
