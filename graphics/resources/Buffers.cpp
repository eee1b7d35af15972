#include "graphics/resources/Buffers.h"

#include <cstring>

#include "core/ErrorReport.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/ResourceManager.h"

namespace Aperture::Resource {
namespace {

platform::gfx::Device* CurrentDevice() {
    ResourceManager* manager = ResourceManager::GetInstance();
    return manager ? manager->GetDevice() : nullptr;
}

template <class Object>
void ReleaseObject(Object*& object) {
    if (object) object->Release();
    object = nullptr;
}

// A vertex store of that size: in the default pool when it is rewritten often, else managed.
bool CreateVertexStore(platform::gfx::Device& device, uint32_t sizeBytes, bool dynamic,
                       platform::gfx::VertexBuffer*& buffer) {
    const auto pool = dynamic ? platform::gfx::Pool::kDefault : platform::gfx::Pool::kManaged;
    if (platform::gfx::Failed(device.CreateVertexBuffer(sizeBytes, pool, &buffer))) {
        buffer = nullptr;
        return false;
    }
    return true;
}

// Each pass of the effect draws the indexed triangles of the vertices on stream 0.
void DrawIndexedPasses(platform::gfx::Device& device, IndexBuffer& indexBuffer, VertexBuffer<MeshVertex>& vertexBuffer,
                       Effect* effect, unsigned passCount) {
    device.SetIndices(indexBuffer.GetBuffer());
    const uint32_t primitives = static_cast<uint16_t>(indexBuffer.GetIndices().size()) / 3u;
    for (unsigned pass = 0; pass < passCount && effect; ++pass) {
        effect->BeginPass(pass);
        device.DrawIndexedPrimitive(platform::gfx::kTriangleList, 0, 0, vertexBuffer.GetCount(), 0, primitives);
        effect->EndPass();
    }
}

struct InstanceSettings {
    uint32_t capacity;
    bool dynamic;
};

template <class T>
InstanceSettings SettingsOf();
template <>
InstanceSettings SettingsOf<MeshVertexInst>() {
    return {128, true};
}
template <>
InstanceSettings SettingsOf<LightVertex>() {
    return {256, true};
}
template <>
InstanceSettings SettingsOf<GrassVertex>() {
    return {2048, true};
}
template <>
InstanceSettings SettingsOf<ParticleVertex>() {
    return {1024, false};
}
template <>
InstanceSettings SettingsOf<QuadParticleVertex>() {
    return {1024, false};
}

}  // namespace

template <class T>
VertexBuffer<T>::VertexBuffer(uint32_t vertexCount, bool isDynamic)
    : count(vertexCount), sizeBytes(vertexCount * kMeshVertexSize), dynamic(isDynamic) {
    if (!loaded) loaded = Load();
}

template <class T>
VertexBuffer<T>::~VertexBuffer() {
    ReleaseObject(buffer);
}

template <class T>
bool VertexBuffer<T>::Load() {
    if (dynamic) usage |= kUsageDynamic | kUsageWriteOnly;
    platform::gfx::Device* device = CurrentDevice();
    ReleaseObject(buffer);
    if (!device || count == 0) return false;
    return CreateVertexStore(*device, sizeBytes, dynamic, buffer);
}

template <class T>
bool VertexBuffer<T>::Unload() {
    ReleaseObject(buffer);
    return true;
}

template <class T>
bool VertexBuffer<T>::Fill(const MeshVertexData* vertices) {
    if (!buffer) return false;
    if (platform::gfx::Failed(buffer->Lock(0, 0, &lockedData))) {
        lockedData = nullptr;
        return false;
    }
    std::memcpy(lockedData, vertices, sizeBytes);
    buffer->Unlock();
    lockedData = nullptr;
    return true;
}

template class VertexBuffer<MeshVertex>;
template class VertexBuffer<ParticleVertex>;
template class VertexBuffer<QuadParticleVertex>;

IndexBuffer::IndexBuffer(const uint16_t* data, uint16_t count) : indices(data, data + count) {
    if (!loaded) loaded = Load();
}

IndexBuffer::~IndexBuffer() { ReleaseObject(buffer); }

bool IndexBuffer::Load() {
    platform::gfx::Device* device = CurrentDevice();
    if (!device || indices.empty()) return false;
    ReleaseObject(buffer);
    const auto bytes = static_cast<uint32_t>(indices.size() * sizeof(uint16_t));
    if (platform::gfx::Failed(
            device->CreateIndexBuffer(bytes, platform::gfx::kFormatIndex16, platform::gfx::Pool::kDefault, &buffer))) {
        buffer = nullptr;
        Debug::ShowErrorBox("IndexBuffer", 60, "Error creating index buffer\n");
        return false;
    }
    void* data = nullptr;
    if (platform::gfx::Failed(buffer->Lock(0, 0, &data))) return false;
    std::memcpy(data, indices.data(), bytes);
    buffer->Unlock();
    return true;
}

bool IndexBuffer::Unload() {
    if (!buffer) return true;
    const uint32_t left = buffer->Release();
    buffer = nullptr;
    return left == 0;
}

template <class T>
InstanceBuffer<T>::InstanceBuffer() {
    const InstanceSettings settings = SettingsOf<T>();
    capacity = settings.capacity;
    count = capacity;
    sizeBytes = capacity * RecordSize();
    dynamic = settings.dynamic;
    if (!loaded) loaded = Load();
}

template <class T>
InstanceBuffer<T>::~InstanceBuffer() {
    ReleaseObject(buffer);
}

template <class T>
bool InstanceBuffer<T>::Load() {
    platform::gfx::Device* device = CurrentDevice();
    ReleaseObject(buffer);
    if (!device) return false;
    return CreateVertexStore(*device, sizeBytes, dynamic, buffer);
}

template <class T>
bool InstanceBuffer<T>::Unload() {
    ReleaseObject(buffer);
    return true;
}

template <class T>
void* InstanceBuffer<T>::Lock(uint32_t n) {
    if (!buffer || n > capacity || n == 0) return nullptr;
    count = n;
    if (platform::gfx::Failed(buffer->Lock(offset * RecordSize(), n * RecordSize(), &lockedData))) {
        lockedData = nullptr;
        Debug::ShowErrorBox("graphics\\InstanceBuffer", 136, "Error: could not lock instance buffer.");
        return nullptr;
    }
    return lockedData;
}

template <class T>
void* InstanceBuffer<T>::LockAll() {
    count = 0;
    if (!buffer) return nullptr;
    if (platform::gfx::Failed(buffer->Lock(offset * RecordSize(), 0, &lockedData))) lockedData = nullptr;
    return lockedData;
}

template <class T>
bool InstanceBuffer<T>::Fill(const void* records, uint32_t bytes) {
    const uint32_t n = bytes / RecordSize();
    if (!buffer || n == 0 || n > capacity) return false;
    if (platform::gfx::Failed(buffer->Lock(offset * RecordSize(), n * RecordSize(), &lockedData))) {
        lockedData = nullptr;
        Debug::ShowErrorBox("graphics\\InstanceBuffer", 136, "Error: could not lock instance buffer.");
        return false;
    }
    std::memcpy(lockedData, records, n * RecordSize());
    buffer->Unlock();
    lockedData = nullptr;
    count = n;
    return true;
}

template <class T>
void InstanceBuffer<T>::Unlock() {
    if (buffer && lockedData) buffer->Unlock();
    lockedData = nullptr;
}

template class InstanceBuffer<MeshVertexInst>;
template class InstanceBuffer<LightVertex>;
template class InstanceBuffer<GrassVertex>;
template class InstanceBuffer<ParticleVertex>;
template class InstanceBuffer<QuadParticleVertex>;

void DrawIndexedBuffers(IndexBuffer* indexBuffer, VertexBuffer<MeshVertex>* vertexBuffer, Effect* effect,
                        unsigned passCount) {
    platform::gfx::Device* device = CurrentDevice();
    if (!device || !indexBuffer || !vertexBuffer || !indexBuffer->GetBuffer() || !vertexBuffer->GetBuffer()) return;
    device->SetStreamSource(0, vertexBuffer->GetBuffer(), 0, kMeshVertexSize);
    DrawIndexedPasses(*device, *indexBuffer, *vertexBuffer, effect, passCount);
}

void DrawInstancedBuffers(VertexBuffer<MeshVertex>* vertexBuffer, Effect* effect, unsigned passCount,
                          IndexBuffer* indexBuffer, const InstanceDrawView& instances, uint32_t stride) {
    platform::gfx::Device* device = CurrentDevice();
    if (!device || !vertexBuffer || !vertexBuffer->GetBuffer() || !indexBuffer || !indexBuffer->GetBuffer() ||
        !instances.buffer || instances.count == 0)
        return;
    device->SetStreamSourceFreq(0, platform::gfx::kStreamIndexedData | instances.count);
    device->SetStreamSource(0, vertexBuffer->GetBuffer(), 0, kMeshVertexSize);
    device->SetStreamSourceFreq(1, platform::gfx::kStreamInstanceData | 1u);
    device->SetStreamSource(1, instances.buffer, instances.offsetBytes, stride);
    DrawIndexedPasses(*device, *indexBuffer, *vertexBuffer, effect, passCount);
    device->SetStreamSourceFreq(0, 1);
    device->SetStreamSourceFreq(1, 1);
}

}  // namespace Aperture::Resource
