#pragma once
// Registers with the factory the creators of the component classes the engine itself defines.
namespace SD {

class Factory_;

void RegisterEngineComponentCreators(Factory_& factory);

}  // namespace SD
