#pragma once
// A menu entry that flips between checked and unchecked when selected, asking its script for
// the state at start and telling it of every change.
#include <string>

#include "game/hud/Widget.h"

namespace QV {

class CheckBox : public HudWidget {
public:
    CheckBox() { SetID(SD::CID_CheckBox); }
    SD::ComponentID VGetID() const override { return SD::CID_CheckBox; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;
    void VInitialize(bool fromScript) override;

    void Step(bool focused, float dt);
    void Toggle(float dt);
    bool IsChecked() const { return checked_; }

    std::string queryState;
    std::string onCheck;
    std::string onUncheck;
    std::string checkedTexture;
    std::string uncheckedTexture;

private:
    bool previous_ = false;
    bool checked_ = false;
};

}  // namespace QV
