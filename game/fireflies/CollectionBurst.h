#pragma once
// The burst of sparkles a firefly leaves where it is collected, in its body's colour.

namespace SD {
class GameObject;
}

namespace QV {

// Makes a "World/FireflyCollectionSparkles" object at the firefly and starts its sparks in the
// firefly's geometry colour (white without one); nothing without a firefly or the blueprint.
void ShowCollectionSparkles(SD::GameObject* firefly);

}  // namespace QV
