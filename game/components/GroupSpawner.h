#pragma once
// Wakes the objects of a named group one after another once the trigger on its own object has
// fired: dormant until then, it runs its named action every frame afterwards.
#include <memory>
#include <string>

#include "core/BoundFunction.h"
#include "core/GuardedFunction.h"
#include "core/RTTI.h"
#include "core/SharedString.h"
#include "engine/UpdateComponent.h"
#include "game/components/ReflectedLogic.h"

namespace QV {

class GroupSpawner : public ReflectedLogic<GroupSpawner, SD::CID_GroupSpawner> {
public:
    static constexpr int kDataVersion = 1;

    int VGetVersion() const override { return kDataVersion; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void RegisterFunctions() override;

    const char* GetGroupName() const { return groupName_.c_str(); }
    void SetGroupName(const char* name) { groupName_ = name ? name : ""; }
    const char* GetAction() const { return actionName_.c_str(); }
    // Selects the action of that name; an unknown name shows "Invalid Action" and selects none.
    void SetAction(const char* name);
    void SetAction(const SD::SharedString& name);
    float GetDelay() const { return delay_; }
    unsigned GetWokenCount() const { return woken_; }

    // Called by the trigger when it fires: switches the component on in every play state.
    void OnTriggerFired();
    // Wakes one more member of the group each time the countdown runs out.
    void SpawnWithDelay(float dt);

private:
    std::string groupName_;
    float delay_ = 0.0f;
    float countdown_ = 0.0f;
    unsigned woken_ = 0;
    SD::SharedString actionName_;
    std::shared_ptr<MFCore::BoundFunction> action_;
    // Ends the callback the trigger keeps when the spawner goes first.
    MFCore::Lifetime lifetime_;
};

}  // namespace QV
