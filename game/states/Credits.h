#pragma once
// The scrolling credits over the menu scene: the credits rise by themselves, up and down
// push them along, and they end at the bottom or on "Quit", back to the menu.
#include "game/states/FadingLevel.h"
#include "runtime/InputBindingSet.h"

namespace QV {

class Credits : public FadingInLevel {
public:
    Credits() : FadingInLevel(1.0, 1.0) {}

    static constexpr float kEndY = -2.7f;
    static constexpr float kScrollRate = 0.07f;  // per second

    void Load() override;
    void Unload() override;
    void Update(float dt) override;

private:
    SD::InputBindingSet bindings_;
};

}  // namespace QV
