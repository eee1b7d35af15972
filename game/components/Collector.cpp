#include "game/components/Collector.h"

#include <utility>

#include "core/Delegate.h"
#include "core/Logger.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/components/Trigger.h"

namespace QV {
namespace {

// A firefly spawner at every member of the flower spawner group.
void CreateFlower() {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!factory) return;
    static const SD::SharedString group("FlowerSpawnerMagic");
    std::vector<SD::Vec3> places;
    for (SD::Component* member : SD::Group::FindGroup(group))
        if (member->GetOwner()) places.push_back(member->GetOwner()->GetTransform().GetLocalPos());
    for (const SD::Vec3& at : places) {
        SD::GameObject* spawner = factory->CreateObject("ObjectTemplates/FireflySpawner", nullptr);
        if (!spawner) continue;
        spawner->GetTransform().SetPos(at);
        spawner->Initialize(false);
    }
}

// The actions a collector can run, by exact name. Looking a name up never adds to the table.
struct NamedAction {
    const char* name;
    std::shared_ptr<MFCore::BoundFunction> function;
};

const std::vector<NamedAction>& Actions() {
    static const std::vector<NamedAction> table = {
        {"CreateFlower", std::make_shared<MFCore::StaticFunction_0Parameters<void>>(&CreateFlower)}};
    return table;
}

}  // namespace

std::shared_ptr<MFCore::BoundFunction> Collector::FindAction(const std::string& name) {
    for (const NamedAction& action : Actions())
        if (name == action.name) return action.function;
    return nullptr;
}

Collector::~Collector() {
    if (listener_) SD::Group::RemoveListener(listenedGroup_, listener_);
}

void Collector::VSerialize(SD::IStream& stream, int version) {
    stream.Serialize(groupName_, "Group Name", "String");
    if (version != 1) return;
    if (stream.GetDirection() == SD::IStream::kWrite) {
        int count = static_cast<int>(actionNames_.size());
        stream.Serialize(count, "Action Count", "Integer");
        for (std::string& name : actionNames_) stream.Serialize(name, "Action Name", "String");
        return;
    }
    int count = 0;
    stream.Serialize(count, "Action Count", "Integer");
    actionNames_.clear();
    actions_.clear();
    // The count comes from data: reading stops where the names do.
    for (int i = 0; i < count; ++i) {
        std::string name;
        stream.Serialize(name, "Action Name", "String");
        if (name.empty()) {
            SD_WARNING(Debug::kLogError, "Collector of group \"%s\": %d action names expected, %d found",
                       groupName_.c_str(), count, i);
            break;
        }
        if (std::shared_ptr<MFCore::BoundFunction> action = FindAction(name)) {
            actionNames_.push_back(name);
            actions_.push_back(std::move(action));
        } else {
            SD_WARNING(Debug::kLogError, "Collector of group \"%s\": unknown action \"%s\" skipped", groupName_.c_str(),
                       name.c_str());
        }
    }
}

void Collector::VInitialize(bool) {
    if (listener_) return;
    listener_ = std::make_shared<MFCore::Delegate_1Parameters<void, Collector, SD::Group*>>(this, &Collector::OnGroup);
    listenedGroup_ = groupName_;
    SD::Group::AddListener(listenedGroup_, listener_);
}

void Collector::OnGroup(SD::Group* member) {
    SD::GameObject* object = member ? member->GetOwner() : nullptr;
    auto* trigger = object ? static_cast<Trigger*>(object->GetComponent(SD::CID_Trigger)) : nullptr;
    // A member without a trigger could never fire: it does not count.
    if (!trigger) return;
    trigger->AddCallback(new MFCore::Delegate_0Parameters<void, Collector>(this, &Collector::OnTriggered),
                         lifetime_.Token());
    ++targetCount_;
}

void Collector::OnTriggered() {
    if (++collected_ != targetCount_) return;
    // Copies: an action may load data into this collector again.
    const std::vector<std::shared_ptr<MFCore::BoundFunction>> actions = actions_;
    std::vector<MFCore::Any> none;
    for (const std::shared_ptr<MFCore::BoundFunction>& action : actions) action->Invoke(none);
}

}  // namespace QV
