#include "engine/LuaComponentCreators.h"

#include "engine/ComponentCreator.h"
#include "engine/Factory.h"
#include "engine/LuaComponent.h"
#include "engine/LuaLogic.h"

namespace SD {

void RegisterLuaComponentCreators(Factory_& factory) {
    factory.RegisterComponentCreator("LuaLogic", CID_LuaLogic, new ComponentCreator<LuaLogic>);
    factory.RegisterComponentCreator("LuaComponent", kLuaComponentID, new ComponentCreator<LuaComponent>);
}

}  // namespace SD
