#include "engine/Component.h"
#include "engine/Factory.h"
#include "engine/IStream.h"
#include "engine/LevelLayerSaveStream.h"

namespace SD {

void Component::SerializeWithHeader(IStream& stream, const char* name) {
    stream.BeginGroup(nullptr, name, kSuperialObject);
    int version = VGetVersion();
    stream.SerializeNamed(version, "version");
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
