#pragma once
// A group of fireflies: a centre they gather at, the members, a sampled path they can walk and
// the state of the blink wave spreading through them. Groups live in the manager's group table
// and are known elsewhere by a weak handle.
#include <cstdint>
#include <vector>

#include "core/SharedString.h"
#include "core/Vector.h"
#include "runtime/SplineSystem.h"

namespace QV {

class Firefly;
class FireflyGroup;
class FireflyGroupTable;

// Resolves to its group while the slot still holds it (same generation).
struct FireflyGroupHandle {
    uint32_t index = 0;
    uint32_t generation = 0;
    const FireflyGroupTable* table = nullptr;

    FireflyGroup* Get() const;
};

class FireflyGroup {
public:
    // Flag word of the groups made on request; the escort and overflow groups carry 0.
    static constexpr int kMadeOnRequest = 1;
    static constexpr int kPathSamples = 100;

    explicit FireflyGroup(const SD::Vec3& centre = SD::Vec3(), int flags = kMadeOnRequest)
        : flags(flags), centre(centre) {}

    // Where the members fly: the centre, or the followed spline's current point (about the
    // player for escort groups).
    SD::Vec3 GetTarget();
    // Path point `index`; the index moves on, wrapping at the end of the path.
    SD::Vec3 NextPathPoint(unsigned& index) const;
    void AddMember(Firefly* firefly) { members.push_back(firefly); }
    // Removes the first occurrence.
    void RemoveMember(Firefly* firefly);
    // Follows the spline and appends its samples to the path.
    void FollowSpline(const SD::SplineHandle& spline);
    // False when no spline has that name.
    bool FollowSplineByName(const SD::SharedString& name);
    // Appends points at every hundredth of the followed spline's length; nothing when it is gone.
    void SampleSpline();

    int flags;
    FireflyGroupHandle handle;
    SD::SplineHandle spline;
    bool follow = false;
    SD::Vec3 centre;
    std::vector<Firefly*> members;
    std::vector<SD::Vec3> path;
    std::vector<Firefly*> wave;
    float waveRadius = 0.0f;
    float waveGrowth = 0.0f;
};

}  // namespace QV
