#pragma once
// Turns the first contact of the object named "Player" with its object's collider into game
// events: an optional script function called with the object, then its callbacks in order (the
// actions named in its data and the callbacks other components of the object added). It stays
// fired until a TriggerReset naming its object arrives, or a script re-arms it.
#include <memory>
#include <string>
#include <vector>

#include "core/BoundFunction.h"
#include "core/GuardedFunction.h"
#include "core/SharedString.h"
#include "engine/Component.h"

namespace SD {
class IMessage;
}

namespace Gedankenexperiment {
class Collider;
}

namespace QV {

class Trigger : public SD::Component {
public:
    static constexpr int kDataVersion = 3;
    // More actions than this in data are refused (logged): the count is outside data.
    static constexpr int kMaxActions = 64;

    using Action = void (*)(Trigger*);

    Trigger() { SetID(SD::CID_Trigger); }
    ~Trigger() override;

    SD::ComponentID VGetID() const override { return SD::CID_Trigger; }
    int VGetVersion() const override { return kDataVersion; }
    bool VReadsVersion(int version) const override { return version == 2 || version == 3; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    // A trigger has no per-frame work: it joins no system.
    void VRegister() override {}
    void VUnregister() override {}

    // Takes a callable of one argument (the trigger, as an Any of Trigger*) or none.
    void AddCallback(MFCore::BoundFunction* callback);
    // The same for a callback bound to a component that may go before the trigger: once the
    // lifetime has ended the callback leaves the list and is never called.
    void AddCallback(MFCore::BoundFunction* callback, std::weak_ptr<const void> lifetime);
    // Appends the named action; false (logged) for a name the action table does not hold.
    bool AddCallback(const std::string& actionName);

    bool IsFired() const { return fired_; }
    void SetFired(bool fired) { fired_ = fired; }
    const std::vector<std::string>& GetActionNames() const { return actionNames_; }
    // Callbacks whose owners have gone are not counted.
    size_t GetCallbackCount();
    const SD::SharedString& GetLuaFunction() const { return luaFunction_; }

    // Called by the collider with the other collider of a contact.
    void OnContact(Gedankenexperiment::Collider* other);
    void OnReset(SD::IMessage* message);

    // Sends a TriggerReset for the trigger's object: at once for a delay of exactly 0, else
    // through the message system's queue, due at engine time now + delay.
    static void ScheduleReset(Trigger* trigger, float delay);
    // The action of that name, null when there is none.
    static Action FindAction(const std::string& name);

private:
    struct Callback {
        std::shared_ptr<MFCore::BoundFunction> function;
        bool fromData;  // appended for a name read from data; replaced when the data is read again
        const MFCore::GuardedFunction* guard = nullptr;  // the function, when its owner may go first
    };

    void RunCallbacks();
    // Drops the callbacks whose owners have gone.
    void DropExpiredCallbacks();

    std::vector<Callback> callbacks_;
    std::vector<std::string> actionNames_;
    SD::SharedString luaFunction_;
    bool fired_ = false;
    bool listening_ = false;
    // Guards the contact callback the collider keeps: the collider may outlive the trigger.
    MFCore::Lifetime lifetime_;
};

}  // namespace QV
