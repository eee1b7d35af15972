#pragma once
// Shows a game object's reflected properties on a tweak bar of its own: one group per
// component, one variable per getter (writable when its setter follows it), and a "Delete"
// button for every component but the transform. Values pass only through the components'
// bound getters and setters. Bars of objects that have died go at the next update.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "core/RTTI.h"
#include "core/System.h"
#include "engine/GameObjectHandle.h"

namespace platform::tweak {
class Bar;
}

namespace SD {
class Component;
class GameObject;
}  // namespace SD

namespace QV {

class TweakableSystem : public SD::ISystem {
public:
    // Becomes the one instance and defines the "Vec3" struct type, which from then on is the
    // type id of SD::Vec3 values.
    TweakableSystem();
    ~TweakableSystem() override;
    TweakableSystem(const TweakableSystem&) = delete;
    TweakableSystem& operator=(const TweakableSystem&) = delete;
    static TweakableSystem* GetInstance();

    const char* GetName() const override { return "TweakableSystem"; }
    // Hands the tweak bars the copy function for C strings.
    void Initialize() override;
    void Shutdown() override;
    // Carries out the component deletions asked for by "Delete" buttons, then removes the bars
    // of objects that no longer exist.
    void Update(float dt) override;

    // Builds a bar for the object (nothing for null, or when a bar of that name is open).
    void ShowObject(SD::GameObject* object);
    // Removes every bar of the object.
    void HideObject(SD::GameObject* object);
    bool IsShown(const SD::GameObject* object) const;
    size_t BarCount() const { return records_.size(); }
    uint32_t GetVec3Type() const { return vec3Type_; }

    // The tweak bars' copy function: (re)allocates *destination with malloc to hold source.
    static void CopyCDString(char** destination, const char* source);

    // The client data of one variable: the component and its bound accessors.
    struct Variable {
        MFCore::Any component;
        IRTTIUser::FunctionEntry getter;
        IRTTIUser::FunctionEntry setter;  // no function for a read-only variable
    };

private:
    struct DeleteRecord {
        TweakableSystem* system;
        SD::GameObjectHandle object;
        SD::Component* component;
    };
    struct TweakBarRecord {
        SD::GameObjectHandle handle;
        platform::tweak::Bar* bar = nullptr;
        std::vector<SD::Component*> components;
        std::vector<std::unique_ptr<DeleteRecord>> deletes;
        std::vector<std::unique_ptr<Variable>> variables;
    };

    static void OnDeleteComponentButton(void* clientData);
    void DeletePendingComponents();
    void AddComponentVariables(TweakBarRecord& record, SD::Component* component, const std::string& prefix);
    void AddVariable(TweakBarRecord& record, SD::Component* component, const std::string& prefix,
                     const IRTTIUser::FunctionEntry& getter, const IRTTIUser::FunctionEntry* setter);

    std::list<TweakBarRecord> records_;
    uint32_t vec3Type_ = 0;
    // (object, component) pairs whose "Delete" button was pressed, carried out at the next
    // update so that no bar is freed while its own button runs.
    std::vector<DeleteRecord> pendingDeletes_;
};

}  // namespace QV
