#include "engine/EngineComponentCreators.h"

#include "engine/ComponentCreator.h"
#include "engine/Factory.h"
#include "engine/Transform.h"

namespace SD {

void RegisterEngineComponentCreators(Factory_& factory) {
    factory.RegisterComponentCreator("Transform", CID_Transform, new ComponentCreator<Transform>);
}

}  // namespace SD
