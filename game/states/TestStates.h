#pragma once
// The developer states, reached through the configured starting level or from scripts: a
// two-object scene, the vehicle's parts under the level editor, the season test bed, and the
// graphics and logic test levels. The first three end the program on "Quit" (Escape).
#include "engine/GameObjectHandle.h"
#include "engine/Level.h"
#include "runtime/InputBindingSet.h"

namespace QV {

// Ends the program when "Quit" was triggered this frame.
void QuitOnRequest();

class TestLevel : public SD::Level {
public:
    void Load() override;
    void Unload() override;
    void Update(float) override { QuitOnRequest(); }

    static const SD::GameObjectHandle& First() { return first_; }
    static const SD::GameObjectHandle& Second() { return second_; }

private:
    static SD::GameObjectHandle first_;
    static SD::GameObjectHandle second_;
    SD::InputBindingSet bindings_;
};

class BuildMode : public SD::Level {
public:
    void Load() override;
    void Unload() override;
    void Update(float) override { QuitOnRequest(); }

private:
    SD::InputBindingSet bindings_;
};

class SowlarTestBed : public SD::Level {
public:
    void Load() override;
    void Unload() override { bindings_.UnbindAll(); }
    void Update(float) override { QuitOnRequest(); }

private:
    SD::InputBindingSet bindings_;
};

class Graphics_Test : public SD::Level {
public:
    void Load() override;
    void Unload() override {}
    void Update(float) override {}
};

class Logic_Test : public SD::Level {
public:
    void Load() override;
    void Unload() override {}
    void Update(float) override {}
};

}  // namespace QV
