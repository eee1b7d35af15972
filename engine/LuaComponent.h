#pragma once
// A component driven by script functions: its script file runs when it is initialised, its
// initialise function is called once with the object, and its update function every frame
// with the object and the frame time.
#include "core/SharedString.h"
#include "engine/IntrusiveList.h"
#include "engine/UpdateComponent.h"

namespace SD {

class GameObject;

class LuaComponent : public IUpdateComponent {
public:
    IntrusiveLink<LuaComponent> luaLink_;
    using List = IntrusiveList<LuaComponent, &LuaComponent::luaLink_>;

    LuaComponent() { luaLink_.element = this; }
    ~LuaComponent() override;

    ComponentID VGetID() const override { return SD::kLuaComponentID; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void VOnRegistered() override;
    void VOnUnregistered() override;

    SharedString& LuaFile() { return luaFile_; }
    SharedString& InitializeFunction() { return initializeFunction_; }
    SharedString& UpdateFunction() { return updateFunction_; }

    // The registered Lua components, in registration order.
    static List& GetRegistered();

private:
    SharedString luaFile_;
    SharedString initializeFunction_;
    SharedString updateFunction_;
};

// Calls the global script function `name` with the object and the frame time; an error is
// printed with its position and the caller goes on.
void CallLuaObjectFunction(const char* name, GameObject* object, float dt);
// Runs the script file of every registered Lua component again, in registration order.
void ReloadLuaComponentScripts();

}  // namespace SD
