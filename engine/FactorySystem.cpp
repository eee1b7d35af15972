// The factory as a system: start-up, shutdown, play-state changes, and saving objects.
#include "core/MessageSystem.h"
#include "core/SharedString.h"
#include "engine/ChangeActiveState.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialValue.h"
#include "engine/TextFileDataStream.h"

namespace SD {

void Factory_::Initialize() {
    if (!handlerRegistered_) {
        Message_System::GetInstance()->RegisterHandler(MessageIds::ChangeActiveState, this,
                                                       &Factory_::OnChangeActiveState);
        handlerRegistered_ = true;
    }
    if (!objectManifest_.empty()) LoadObjectManifest(objectManifest_);
}

void Factory_::Shutdown() {
    if (handlerRegistered_) {
        Message_System::GetInstance()->RemoveHandlerOf(MessageIds::ChangeActiveState, this);
        handlerRegistered_ = false;
    }
    FreeBlueprints();
    DestroyAllGameObjects();
}

void Factory_::OnChangeActiveState(IMessage* message) {
    if (!message || message->GetType() != MessageIds::ChangeActiveState) return;
    const uint32_t state = static_cast<uint32_t>(static_cast<ChangeActiveState*>(message)->newState);
    for (const ObjectPool::Slot& slot : pool_.GetSlots()) {
        if (slot.object) slot.object->ChangeActiveState(state);
    }
}

GameObject* Factory_::GetGameObject(const SharedString& name) const { return GetGameObject(std::string(name.c_str())); }

bool Factory_::SaveObject(GameObject* object, const char* name) {
    if (!object || !name) return false;
    const std::string path = objectPath_ + "/" + name + "." + objectOutFormat_;
    if (objectOutFormat_ == "xml") {
        SuperialDataMap map;
        SuperialValue* top = map.Top();
        top->SetTypeName("GameObjectBlueprints");
        const std::string blueprintName = object->GetBlueprintName();
        object->SetBlueprintName(name);
        GameObject::SaveAsBlueprint(SuperialValue::AppendChild(top, kSuperialObject), object);
        object->SetBlueprintName(blueprintName);
        return SuperialDataMap::WriteToFile(path.c_str(), map) > 0;
    }
    Data::TextFileDataStream stream;
    if (!stream.openFile(path.c_str(), "wt")) return false;
    WriteObjectText(object, stream);
    return stream.close();
}

}  // namespace SD
