#pragma once
// The up-and-down motion the floating object and the floating light share: the position the
// object bobs about, the time into the bob, and placing the object a lift above that position.
// Each owner keeps its own wave; only where it starts and how it is placed are the same.
#include "core/Vector.h"

namespace SD {
class GameObject;
}

namespace QV {

struct Bobbing {
    SD::Vec3 start;
    float time = 0.0f;

    // Takes the object's present position as the one to bob about, and starts over.
    void Capture(SD::GameObject* object);
    // Puts the object back where it was captured, and starts over.
    void Restore(SD::GameObject* object);
    // Places the object `lift` above the captured position.
    void Lift(SD::GameObject* object, float lift) const;
};

}  // namespace QV
