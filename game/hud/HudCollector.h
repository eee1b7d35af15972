#pragma once
// Gathers the widgets on the objects below its own and moves the focus among them with the
// menu actions; the focused widget pulses its opacity between 1.3 and 0.5. The HUD system
// updates only the most recently registered collector.
#include <vector>

#include "engine/Component.h"
#include "runtime/InterpolatorSystem.h"

namespace QV {

class HudCollector : public SD::Component {
public:
    HudCollector() { SetID(SD::CID_HudCollector); }

    SD::ComponentID VGetID() const override { return SD::CID_HudCollector; }
    int VGetVersion() const override { return 1; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;

    void AddItem(SD::Component* widget) { items_.push_back(widget); }
    void RemoveItem(SD::Component* widget);
    void Update(float dt);

    // Restarts the pulse the other way once it has finished; returns its current value.
    float AdvancePulse();

    const std::vector<SD::Component*>& Items() const { return items_; }
    int CurrentIndex() const { return current_; }

    int startingIndex = 0;
    bool wrapping = false;
    bool animateWhilePaused = false;
    bool leftRightSupport = false;
    bool resCollector = false;

private:
    void RestartPulse();
    void DropUnofferedResolutions();

    std::vector<SD::Component*> items_;
    int current_ = 0;
    SD::Interpolator<float> pulse_;
};

// The widget of `component`'s kind on the parent of its owner, if any.
HudCollector* ParentCollector(const SD::Component& widget);

}  // namespace QV
