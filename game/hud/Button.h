#pragma once
// A menu entry that calls its script function when selected while focused. All buttons share
// one cool-down, held by the HUD system, so a held or repeated select fires at most once per
// 0.3 s.
#include <string>

#include "game/hud/Widget.h"

namespace QV {

class Button : public HudWidget {
public:
    enum State { kUp = 0, kOver = 1, kDown = 2 };

    Button() { SetID(SD::CID_Button); }
    SD::ComponentID VGetID() const override { return SD::CID_Button; }
    int VGetVersion() const override { return 0; }
    void VSerialize(SD::IStream& stream, int version) override;

    void Step(bool focused, float dt);
    int GetState() const { return state_; }

    std::string onTrigger;
    std::string upTexture;
    std::string overTexture;
    std::string downTexture;

private:
    int state_ = kUp;
};

}  // namespace QV
