#include <set>
#include <string>
#include <tuple>

#include "core/Logger.h"
#include "engine/Component.h"
#include "engine/DataFileScope.h"
#include "engine/Factory.h"
#include "engine/IStream.h"
#include "engine/LevelLayerSaveStream.h"

namespace SD {
namespace {

// Once for each file, component kind and version: a blueprint is made again and again.
bool FirstUnreadVersion(const std::string& kind, int version) {
    static std::set<std::tuple<std::string, std::string, int>> reported;
    return reported.emplace(DataFileScope::Current(), kind, version).second;
}

}  // namespace

void Component::SerializeWithHeader(IStream& stream, const char* name) {
    stream.BeginGroup(nullptr, name, kSuperialObject);
    int version = VGetVersion();
    stream.SerializeNamed(version, "version");
    // A version the component does not read leaves every field at its default: said once for its
    // file, so the cause shows beside the knock-on lines. The fields are not read in another
    // form: positional data of a foreign layout would land in the wrong fields.
    if (stream.GetDirection() == IStream::kRead && !VReadsVersion(version) &&
        FirstUnreadVersion(name ? name : "", version))
        SD_WARNING(Debug::kLogData,
                   "[%s] of %s has version %d, which this game does not read (it reads version %d); its fields keep "
                   "their defaults",
                   name ? name : "", DescribeOwner(*this).c_str(), version, VGetVersion());
    stream.SerializeNamed(play_, "Play");
    stream.SerializeNamed(pause_, "Pause");
    stream.SerializeNamed(devPause_, "DevPause");
    VSerialize(stream, version);
    stream.EndGroup(nullptr, name, kSuperialObject);
}

void Component::VSaveToLevelLayerFile(SuperialValue* out, SuperialValue* blueprintComponent) {
    Factory_* factory = Factory_::GetInstance();
    if (!factory) return;
    LevelLayerSaveStream stream(out, blueprintComponent);
    SerializeWithHeader(stream, factory->GetComponentName(GetID()).c_str());
}

}  // namespace SD
