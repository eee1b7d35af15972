#pragma once
// Gathers the widgets on the objects below its own and moves the focus among them with the
// menu actions. The focused widget is ringed by a frame ("Hud/FocusFrame", made below the
// collector's object) whose brightness pulses between full and kDimmest; the frame is always
// drawn whole, so what has the focus never fades from sight. The HUD system updates only the
// most recently registered collector.
#include <vector>

#include "engine/Component.h"
#include "engine/GameObjectHandle.h"
#include "runtime/InterpolatorSystem.h"

namespace QV {

class HudCollector : public SD::Component {
public:
    static constexpr const char* kFocusFrame = "Hud/FocusFrame";
    // The pulse's low end: the frame's brightness never falls below this share.
    static constexpr float kDimmest = 0.6f;
    // How far the frame reaches out past the focused widget on each side (reference pixels).
    static constexpr float kFrameMargin = 10.0f;

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

    const std::vector<SD::Component*>& Items() const { return items_; }
    int CurrentIndex() const { return current_; }
    // The frame around the focused widget; null before the first update or without its blueprint.
    SD::GameObject* FocusFrame() const { return frame_.get(); }

    int startingIndex = 0;
    bool wrapping = false;
    bool animateWhilePaused = false;
    bool leftRightSupport = false;
    bool resCollector = false;

private:
    void RestartPulse();
    // Restarts the pulse the other way once it has finished; returns its current value.
    float AdvancePulse();
    void DropUnofferedResolutions();
    // Puts the frame (made on first use) around the focused widget at the pulse's brightness.
    void FrameTheFocus();

    std::vector<SD::Component*> items_;
    int current_ = 0;
    SD::Interpolator<float> pulse_;
    SD::GameObjectHandle frame_;
};

// The widget of `component`'s kind on the parent of its owner, if any.
HudCollector* ParentCollector(const SD::Component& widget);

}  // namespace QV
