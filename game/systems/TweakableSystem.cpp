#include "game/systems/TweakableSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "core/Logger.h"
#include "core/Quaternion.h"
#include "core/TypeId.h"
#include "core/Vector.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "game/editor/EditorLayout.h"
#include "game/editor/ObjectLabel.h"
#include "platform/tweak/TweakBar.h"
#include "platform/tweak/TweakInspect.h"

namespace QV {
namespace tw = platform::tweak;
namespace {

TweakableSystem* g_instance = nullptr;

uint32_t ProvideVec3Type() { return g_instance ? g_instance->GetVec3Type() : 0; }

bool StartsWithEither(const std::string& name, const char* lower, const char* upper) {
    return name.compare(0, 3, lower) == 0 || name.compare(0, 3, upper) == 0;
}

// The accessor's result as T; false (logged) when the call or the extraction throws.
template <class T>
bool CallGetter(TweakableSystem::Variable& v, T* out) {
    try {
        std::vector<MFCore::Any> none;
        v.getter.function->Invoke(none);
        *out = MFCore::Any::Extract<T>(*v.getter.function->GetResult());
        return true;
    } catch (const std::exception& e) {
        SD_WARNING(Debug::kLogData, "Tweak bar getter %s failed: %s", v.getter.name.c_str(), e.what());
        return false;
    }
}

template <class T>
void CallSetter(TweakableSystem::Variable& v, const T& value) {
    try {
        std::vector<MFCore::Any> args = MFCore::MakeArguments<T>(value);
        v.setter.function->Invoke(args);
    } catch (const std::exception& e) {
        SD_WARNING(Debug::kLogData, "Tweak bar setter %s failed: %s", v.setter.name.c_str(), e.what());
    }
}

template <class T>
void GetCallback(void* value, void* client) {
    T result{};
    if (!CallGetter(*static_cast<TweakableSystem::Variable*>(client), &result)) return;
    if constexpr (std::is_same_v<T, std::string>)
        *static_cast<std::string*>(value) = result;
    else
        std::memcpy(value, &result, sizeof result);
}

template <class T>
void SetCallback(const void* value, void* client) {
    auto* variable = static_cast<TweakableSystem::Variable*>(client);
    if constexpr (std::is_same_v<T, std::string>) {
        CallSetter(*variable, *static_cast<const std::string*>(value));
    } else {
        T v;
        std::memcpy(&v, value, sizeof v);
        CallSetter(*variable, v);
    }
}

struct TypeEntry {
    tw::SetCallback set;
    tw::GetCallback get;
    const char* suffix;
};

template <class T>
TypeEntry Entry(const char* suffix) {
    return {&SetCallback<T>, &GetCallback<T>, suffix};
}

// The tweak type and callbacks of a getter's return type id; false for a type the bars do not show.
bool LookUpType(uint32_t id, uint32_t vec3Type, uint32_t* type, TypeEntry* entry) {
    *type = id;
    switch (id) {
        case tw::kTypeBool:
            *entry = Entry<bool>("");
            return true;
        case tw::kTypeInt8:
            *entry = Entry<signed char>("");
            return true;
        case tw::kTypeUInt8:
            *entry = Entry<unsigned char>("");
            return true;
        case tw::kTypeInt16:
            *entry = Entry<short>("");
            return true;
        case tw::kTypeUInt16:
            *entry = Entry<unsigned short>("");
            return true;
        case tw::kTypeInt32:
            *entry = Entry<int>("");
            return true;
        case tw::kTypeUInt32:
            *entry = Entry<unsigned int>("");
            return true;
        case tw::kTypeFloat:
            *entry = Entry<float>(" step = 0.01 ");
            return true;
        case tw::kTypeDouble:
            *entry = Entry<double>(" step = 0.01 ");
            return true;
        case tw::kTypeCString:
            *entry = Entry<const char*>("");
            return true;
        case tw::kTypeStdString:
            *entry = Entry<std::string>("");
            return true;
        case tw::kTypeQuaternion:
            *entry = Entry<SD::Quaternion>(" opened");
            return true;
        default:
            if (vec3Type != 0 && id == vec3Type) {
                *entry = Entry<SD::Vec3>(" opened");
                return true;
            }
            return false;
    }
}

std::string GroupName(SD::Component* component) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    const std::string name = factory ? factory->GetComponentName(component->VGetID()) : std::string();
    if (!name.empty()) return name;
    return component->VGetID() == SD::CID_Transform ? "Transform" : "Component " + std::to_string(component->VGetID());
}

}  // namespace

TweakableSystem::TweakableSystem() {
    g_instance = this;
    static const tw::StructMember members[] = {
        {"X", tw::kTypeFloat, offsetof(SD::Vec3, x), " Step=0.01 "},
        {"Y", tw::kTypeFloat, offsetof(SD::Vec3, y), " Step=0.01 "},
        {"Z", tw::kTypeFloat, offsetof(SD::Vec3, z), " Step=0.01 "},
    };
    vec3Type_ = tw::DefineStruct("Vec3", members, 3, sizeof(SD::Vec3), nullptr, nullptr);
    MFCore::TypeIdProvider<SD::Vec3>::provider = &ProvideVec3Type;
}

TweakableSystem::~TweakableSystem() {
    for (TweakBarRecord& record : records_) tw::DeleteBar(record.bar);
    records_.clear();
    if (g_instance == this) g_instance = nullptr;
}

TweakableSystem* TweakableSystem::GetInstance() { return g_instance; }

void TweakableSystem::Initialize() { tw::CopyCDStringToClientFunc(&CopyCDString); }

void TweakableSystem::Shutdown() {
    tw::DeleteAllBars();
    records_.clear();
    pendingDeletes_.clear();
}

void TweakableSystem::Update(float) {
    DeletePendingComponents();
    for (auto it = records_.begin(); it != records_.end();) {
        if (it->handle.get()) {
            ++it;
            continue;
        }
        tw::DeleteBar(it->bar);
        it = records_.erase(it);
    }
}

void TweakableSystem::CopyCDString(char** destination, const char* source) {
    if (!destination) return;
    const char* text = source ? source : "";
    const size_t length = std::strlen(text);
    if (!*destination || length > std::strlen(*destination)) {
        char* grown = static_cast<char*>(std::realloc(*destination, length + 1));
        if (!grown) return;
        *destination = grown;
    }
    std::memcpy(*destination, text, length + 1);
}

bool TweakableSystem::IsShown(const SD::GameObject* object) const {
    return object && std::any_of(records_.begin(), records_.end(),
                                 [object](const TweakBarRecord& r) { return r.handle.get() == object; });
}

void TweakableSystem::ShowObject(SD::GameObject* object) {
    if (!object) return;
    const std::string name = ObjectLabel(object);
    tw::Bar* bar = tw::NewBar(name.c_str());
    if (!bar) {
        SD_WARNING(Debug::kLogData, "No tweak bar for [%s]: a bar of that name is open.", name.c_str());
        return;
    }
    records_.emplace_back();
    TweakBarRecord& record = records_.back();
    record.handle = object->GetHandle();
    record.bar = bar;

    const editorlayout::BarPlace place =
        editorlayout::EditedObjectBar(editorlayout::WindowWidth(), editorlayout::WindowHeight());
    tw::Define(editorlayout::BarDefinition(name, place, true).c_str());

    record.components.push_back(&object->GetTransform());
    for (SD::Component* component : object->GetComponents()) record.components.push_back(component);
    for (size_t i = 0; i < record.components.size(); ++i) {
        SD::Component* component = record.components[i];
        const std::string group = GroupName(component);
        const std::string prefix = "group='" + group + "' ";
        if (component->VGetID() != SD::CID_Transform) {
            record.deletes.push_back(
                std::make_unique<DeleteRecord>(DeleteRecord{this, object->GetHandle(), component}));
            tw::AddButton(bar, ("Delete " + group).c_str(), &OnDeleteComponentButton, record.deletes.back().get(),
                          prefix.c_str());
        }
        AddComponentVariables(record, component, prefix);
        const int opened = 1;
        tw::SetParam(bar, group.c_str(), "opened", tw::kParamInt32, 1, &opened);
        if (i + 1 < record.components.size()) tw::AddSeparator(bar, nullptr, nullptr);
    }
}

void TweakableSystem::AddComponentVariables(TweakBarRecord& record, SD::Component* component,
                                            const std::string& prefix) {
    auto* reflected = dynamic_cast<IRTTIUser*>(component);
    if (!reflected) return;
    const IRTTIUser::ClassInfo info = reflected->GetBoundClassInfo();
    if (info.name == "undefined") return;
    const auto& entries = info.functions;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!StartsWithEither(entries[i].name, "get", "Get")) continue;
        if (i + 1 < entries.size() && StartsWithEither(entries[i + 1].name, "set", "Set")) {
            if (entries[i].name.substr(3) == entries[i + 1].name.substr(3))
                AddVariable(record, component, prefix, entries[i], &entries[i + 1]);
            continue;
        }
        AddVariable(record, component, prefix, entries[i], nullptr);
    }
}

void TweakableSystem::AddVariable(TweakBarRecord& record, SD::Component* component, const std::string& prefix,
                                  const IRTTIUser::FunctionEntry& getter, const IRTTIUser::FunctionEntry* setter) {
    uint32_t type = 0;
    TypeEntry entry{};
    if (!LookUpType(getter.function->GetSignature().returnTypeId, vec3Type_, &type, &entry)) return;
    auto variable = std::make_unique<Variable>();
    variable->component = MFCore::Any(component);
    variable->getter = getter;
    if (setter) variable->setter = *setter;
    const std::string definition = prefix + entry.suffix;
    tw::AddVarCB(record.bar, getter.name.substr(3).c_str(), type, setter ? entry.set : nullptr, entry.get,
                 variable.get(), definition.c_str());
    record.variables.push_back(std::move(variable));
}

void TweakableSystem::HideObject(SD::GameObject* object) {
    if (!object) return;
    for (auto it = records_.begin(); it != records_.end();) {
        if (it->handle.get() != object) {
            ++it;
            continue;
        }
        tw::DeleteBar(it->bar);
        it = records_.erase(it);
    }
}

void TweakableSystem::OnDeleteComponentButton(void* clientData) {
    const auto* request = static_cast<const DeleteRecord*>(clientData);
    request->system->pendingDeletes_.push_back(*request);
}

void TweakableSystem::DeletePendingComponents() {
    std::vector<DeleteRecord> pending;
    pending.swap(pendingDeletes_);
    for (const DeleteRecord& request : pending) {
        SD::GameObject* object = request.object.get();
        if (!object) continue;
        const auto& components = object->GetComponents();
        // Pressed twice, or removed elsewhere since: nothing left to delete.
        if (std::find(components.begin(), components.end(), request.component) == components.end()) continue;
        HideObject(object);
        object->RemoveComponent(request.component);
        ShowObject(object);
    }
}

}  // namespace QV
