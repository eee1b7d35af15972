#pragma once
// The central tombstone and the short stones of its group: activated (by a trigger), the main
// stone raises every short stone of its group over 7.2 s while their glow fades in at the end
// and the waterfalls fade out. A short stone shakes while it rises.
#include "core/RTTI.h"
#include "core/SharedString.h"
#include "core/Vector.h"
#include "engine/UpdateComponent.h"
#include "game/components/ReflectedLogic.h"
#include "runtime/InterpolatorSystem.h"

namespace QV {

class ShortTombstone : public SD::IUpdateComponent {
public:
    ShortTombstone() { SetID(SD::CID_ShortTombstone); }
    SD::ComponentID VGetID() const override { return SD::CID_ShortTombstone; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VUpdate(float dt) override;

    bool IsActive() const { return active_; }
    void SetActive(bool active) { active_ = active; }
    float GetProgress() const { return progress_; }
    void SetProgress(float progress) { progress_ = progress; }
    const SD::Vec3& GetEnd() const { return end_; }

private:
    bool active_ = false;
    float progress_ = 0.0f;
    SD::Vec3 start_;
    SD::Vec3 end_;
};

class MainTombstone : public ReflectedLogic<MainTombstone, SD::CID_MainTombstone> {
public:
    static constexpr double kRiseSeconds = 7.2;

    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void RegisterFunctions() override;

    // Raises the short stones of the group; once only.
    void Activate();
    bool IsActivated() const { return activated_; }

    const char* GetGroupName() const { return groupName_.c_str(); }
    void SetGroupName(const char* name) { groupName_ = SD::SharedString(name ? name : ""); }

private:
    SD::SharedString groupName_;
    bool activated_ = false;
    SD::InterpolatorF rise_{0.0f, 1.0f};
};

}  // namespace QV
