#pragma once
// What tests read of the systems that keep lists of components: the component manager's update
// list and the script manager's active objects.
#include "engine/Component.h"
#include "engine/ComponentManager.h"
#include "engine/LuaComponentManager.h"
#include "platform/TestProbe.h"

template <>
struct platform::TestProbe<SD::ComponentManager_> {
    static SD::ComponentList& UpdateList(SD::ComponentManager_& manager) { return manager.updateList_; }
};

template <>
struct platform::TestProbe<SD::LuaComponentManager> {
    static const SD::ComponentList& ActiveObjects(const SD::LuaComponentManager& manager) { return manager.active_; }
};
