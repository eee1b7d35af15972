#pragma once
// Counts the triggers of a group as they fire and, once every one of them has, runs its named
// actions in order (once: later firings only count on).
#include <memory>
#include <string>
#include <vector>

#include "core/BoundFunction.h"
#include "core/GuardedFunction.h"
#include "core/SharedString.h"
#include "engine/Component.h"
#include "engine/Group.h"

namespace QV {

class Collector : public SD::Component {
public:
    Collector() { SetID(SD::CID_Collector); }
    ~Collector() override;

    SD::ComponentID VGetID() const override { return SD::CID_Collector; }
    int VGetVersion() const override { return 1; }
    bool VReadsVersion(int version) const override { return version == 1; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    // A collector is driven by its triggers, never by the update list.
    void VRegister() override {}
    void VUnregister() override {}

    int GetTargetCount() const { return targetCount_; }
    int GetCollected() const { return collected_; }
    const std::vector<std::string>& GetActionNames() const { return actionNames_; }

    // The action of exactly that name, null when there is none.
    static std::shared_ptr<MFCore::BoundFunction> FindAction(const std::string& name);

    // A member of the group joined: its trigger, if it has one, counts from now on.
    void OnGroup(SD::Group* member);
    // One of the counted triggers fired.
    void OnTriggered();

private:
    std::vector<std::string> actionNames_;
    std::vector<std::shared_ptr<MFCore::BoundFunction>> actions_;
    SD::SharedString groupName_;
    int targetCount_ = 0;
    int collected_ = 0;
    SD::Group::Listener listener_;
    // The name subscribed under, kept apart in case the data is read again with another.
    SD::SharedString listenedGroup_;
    // Silences the callbacks the group's triggers keep once the collector has gone.
    MFCore::Lifetime lifetime_;
};

}  // namespace QV
