#include "graphics/resources/Resource.h"

#include <sys/stat.h>

#include "platform/os/Clock.h"

namespace Aperture::Resource {
namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochOffset = 11644473600LL;
constexpr uint32_t kReloadWaitMs = 1000;

}  // namespace

int64_t FileWriteTime(const char* file) {
    struct stat info;
    if (!file || stat(file, &info) != 0) return 0;
    return (static_cast<int64_t>(info.st_mtim.tv_sec) + kEpochOffset) * 10000000LL + info.st_mtim.tv_nsec / 100;
}

iResource::iResource(uint32_t typeCode, const SD::FilePath& filePath)
    : path(filePath), fileBacked(true), lastWriteTime(FileWriteTime(filePath.fullPath)), type(typeCode) {}

void iResource::Reload() {
    if (loaded) loaded = !Unload();
    platform::Sleep(kReloadWaitMs);
    if (!loaded) loaded = Load();
}

bool VolatileResource::Load() {
    if (!created) created = OnResetDevice();
    return created;
}

bool VolatileResource::Unload() {
    if (!created) return true;
    bool released = OnLostDevice();
    created = !released;
    return released;
}

}  // namespace Aperture::Resource
