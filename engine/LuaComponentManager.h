#pragma once
// Updates the script side of every registered Lua logic once a frame: the script table
// ActiveLuaGameObjects holds their object handles ("objects") and walks them ("update").
#include "core/System.h"
#include "engine/Component.h"
#include "platform/TestProbe.h"

namespace SD {

class LuaLogic;
class LuaState;

class LuaComponentManager : public ISystem {
public:
    // Works on the given host; publishes itself until destroyed.
    explicit LuaComponentManager(LuaState* host);
    ~LuaComponentManager() override;
    LuaComponentManager(const LuaComponentManager&) = delete;
    LuaComponentManager& operator=(const LuaComponentManager&) = delete;
    static LuaComponentManager* GetInstance();

    const char* GetName() const override { return "LuaComponentManager"; }
    // Calls ActiveLuaGameObjects.update(ActiveLuaGameObjects, dt); nothing without the table.
    void Update(float dt) override;

    void AddActiveObject(LuaLogic* logic);
    void RemoveActiveObject(LuaLogic* logic);

private:
    friend struct platform::TestProbe<LuaComponentManager>;

    LuaState* host_;
    ComponentList active_;
};

}  // namespace SD
