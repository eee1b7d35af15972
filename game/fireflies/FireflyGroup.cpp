#include "game/fireflies/FireflyGroup.h"

#include <algorithm>

#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/components/WorldLogic.h"

namespace QV {

SD::Vec3 FireflyGroup::GetTarget() {
    if (!follow) return centre;
    SD::Spline* followed = spline.Get();
    if (!followed) return centre;
    if (flags != 0) {
        centre = followed->position;
        return centre;
    }
    // Escort groups trace their spline about a point ahead of the player; without a player the
    // centre stays.
    SD::GameObject* player = FindPlayer();
    if (!player) return centre;
    const SD::Transform& transform = player->GetTransform();
    centre = followed->position + transform.GetLocalPos() + transform.GetDir() * 10.0f;
    return centre;
}

SD::Vec3 FireflyGroup::NextPathPoint(unsigned& index) const {
    if (path.empty()) return centre;
    if (index >= path.size()) index = 0;
    const SD::Vec3 point = path[index];
    index = static_cast<unsigned>((index + 1) % path.size());
    return point;
}

void FireflyGroup::RemoveMember(Firefly* firefly) {
    auto found = std::find(members.begin(), members.end(), firefly);
    if (found != members.end()) members.erase(found);
}

void FireflyGroup::FollowSpline(const SD::SplineHandle& followed) {
    spline = followed;
    follow = true;
    SampleSpline();
}

bool FireflyGroup::FollowSplineByName(const SD::SharedString& name) {
    SD::Spline* found = SD::Spline_System::GetInstance().FindSpline(name);
    if (!found) return false;
    FollowSpline(found->handle);
    return true;
}

void FireflyGroup::SampleSpline() {
    SD::Spline* followed = spline.Get();
    if (!followed) return;
    const double length = followed->totalDuration;
    for (int i = 0; i < kPathSamples; ++i) path.push_back(followed->GetPointAtLength(i * length * 0.01));
}

}  // namespace QV
