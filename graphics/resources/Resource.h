#pragma once
// The lifecycle every graphics resource shares. A resource is loaded or not; a volatile one,
// which the device loses on a reset, is also created or not. Resources are built and deleted
// only by the resource manager, whose walks drive loss and reset.
#include <cstdint>

#include "core/FilePath.h"

namespace Aperture {

class ApertureObject {
public:
    virtual ~ApertureObject() = default;
};

namespace Resource {

class ResourceManager;

class iResource : public ApertureObject {
public:
    // Resource type codes; the manager's dependency sets order by them.
    static constexpr uint32_t kTypeTexture = 0;
    static constexpr uint32_t kTypeEffect = 4;
    static constexpr uint32_t kTypeMaterial = 9;

    iResource() = default;
    // A file-backed resource: keeps the path and the file's modification time, and no open
    // file (the time stays 0 for a file that cannot be read).
    iResource(uint32_t type, const SD::FilePath& path);
    iResource(const iResource&) = delete;
    iResource& operator=(const iResource&) = delete;

    // True when the resource is unloaded afterwards.
    virtual bool Unload() = 0;
    // True when the resource is loaded afterwards.
    virtual bool Load() = 0;
    // Unloads, waits a second, loads again.
    virtual void Reload();

    bool IsLoaded() const { return loaded; }
    bool IsFileBacked() const { return fileBacked; }
    const SD::FilePath& GetPath() const { return path; }
    // In 100-nanosecond intervals since 1601-01-01, as the engine's file times are kept.
    int64_t GetLastWriteTime() const { return lastWriteTime; }
    uint32_t GetType() const { return type; }

protected:
    friend class ResourceManager;
    friend class Mesh;  // a mesh unloads the buffers it uses
    bool loaded = false;
    SD::FilePath path;
    bool fileBacked = false;
    int64_t lastWriteTime = 0;
    uint32_t type = kTypeTexture;
};

// Survives a device reset.
class StaticResource : public iResource {
public:
    using iResource::iResource;
};

// Lost with the device: released before a reset and created again after it.
class VolatileResource : public iResource {
public:
    using iResource::iResource;
    bool Load() override;
    bool Unload() override;
    // True when the device object was released.
    virtual bool OnLostDevice() = 0;
    // True when the device object exists afterwards.
    virtual bool OnResetDevice() = 0;
    bool IsCreated() const { return created; }

protected:
    friend class ResourceManager;
    bool created = false;
};

// The modification time of a file in the engine's file-time units; 0 when it cannot be read.
int64_t FileWriteTime(const char* path);

}  // namespace Resource
}  // namespace Aperture
