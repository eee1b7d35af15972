#pragma once
// What a transform's per-frame refresh reads and writes, kept apart from the transform in a
// store of its own. Records are made one after another at a fixed stride of four cache lines,
// so the transformer's pass over the registered transforms streams through them without
// touching the game objects; a record never moves while its transform lives, so references
// to its fields stay valid.
#include <cstdint>

#include "core/Matrix.h"
#include "core/Vector.h"

namespace SD {

class Transform;

struct alignas(64) TransformState {
    // How the transformer treats the transform, worked out from its object's place in the
    // object tree and dropped whenever that place may have changed.
    enum FrameRole : uint8_t {
        kRoleUnknown = 0,
        kRoleLeafRoot,  // no parent object's transform above it, no children below
        kRoleTreeRoot,  // no parent object's transform above it, children below
        kRoleChild,     // reached through its parent object's pass
    };

    // First line: what a rotation writes.
    Mtx33 orientation;
    Vec3 angularDelta;
    uint32_t changeCount = 0;
    bool invalid = true;
    FrameRole role = kRoleUnknown;
    Transform* parent = nullptr;
    // Second line: the local placement and the motion records.
    Vec3 position;
    Vec3 previousPosition;
    Vec3 positionDelta;
    Vec3 previousAngularDelta;
    Vec3 scale{1.0f, 1.0f, 1.0f};
    // Where the transform stands in the transformer's pass, while it is registered.
    uint32_t walkIndex = 0;
    // Third and fourth lines.
    Mtx44 globalMatrix;
    Mtx44 previousGlobalMatrix;

    // A fresh record from the store, and its return; safe from several threads.
    static TransformState* Acquire();
    static void Release(TransformState* state);
};

}  // namespace SD
