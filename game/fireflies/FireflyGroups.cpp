#include "game/fireflies/FireflyGroups.h"

#include <cmath>

#include "core/Random.h"

namespace QV {

float RawRandom() { return static_cast<float>(SD::RandomNext() * (1.0 / 32768.0)); }

FireflyGroup* FireflyGroups::MakeEscortGroup() {
    auto* group = new FireflyGroup(SD::Vec3(), 0);
    if (table_.Register(group)) return group;
    delete group;
    return nullptr;
}

void FireflyGroups::Initialize() {
    for (int set = 0; set < kEscortSets; ++set) {
        for (size_t i = 0; i < kEscortGroups; ++i) {
            if (FireflyGroup* group = MakeEscortGroup()) escort_[set].push_back(group);
        }
        cursor_[set] = static_cast<int>(kEscortGroups) - 1;
        joins_[set] = 0;
        overflow_[set] = nullptr;
    }
}

void FireflyGroups::Shutdown() {
    table_.Clear();
    for (int set = 0; set < kEscortSets; ++set) {
        escort_[set].clear();
        overflow_[set] = nullptr;
        joins_[set] = 0;
    }
    requestGroups_.clear();
}

void FireflyGroups::CollectEmptyRequestGroups() {
    std::vector<FireflyGroupHandle> kept;
    for (const FireflyGroupHandle& handle : requestGroups_) {
        FireflyGroup* group = table_.Resolve(handle);
        if (!group) continue;
        if (group->members.empty()) {
            table_.Release(handle);
        } else {
            kept.push_back(handle);
        }
    }
    requestGroups_.swap(kept);
}

FireflyGroup* FireflyGroups::CreateGroup(const SD::Vec3& centre) {
    if (table_.LiveCount() + 1 >= FireflyGroupTable::kCapacity) CollectEmptyRequestGroups();
    auto* group = new FireflyGroup(centre, FireflyGroup::kMadeOnRequest);
    if (table_.Register(group)) return group;
    delete group;
    return nullptr;
}

FireflyGroup* FireflyGroups::CreateRequestGroup(const SD::Vec3& centre) {
    FireflyGroup* group = CreateGroup(centre);
    if (group) requestGroups_.push_back(group->handle);
    return group;
}

FireflyGroup* FireflyGroups::PickEscortGroup(int set) {
    if (set < 0 || set >= kEscortSets) return nullptr;
    std::vector<FireflyGroup*>& groups = escort_[set];
    if (joins_[set] < kRoundRobinJoins && !groups.empty()) {
        ++joins_[set];
        cursor_[set] = (cursor_[set] + 1) % static_cast<int>(groups.size());
        return groups[cursor_[set]];
    }
    if (overflow_[set] && overflow_[set]->members.size() < kOverflowMembers) return overflow_[set];
    FireflyGroup* group = MakeEscortGroup();
    if (!group) return nullptr;
    groups.push_back(group);
    overflow_[set] = group;
    return group;
}

void FireflyGroups::ResetEscort() {
    for (int set = 0; set < kEscortSets; ++set) {
        // The groups cut off stay in the table, whose shutdown destroys them.
        if (escort_[set].size() > kEscortGroups) escort_[set].resize(kEscortGroups);
        cursor_[set] = static_cast<int>(kEscortGroups) - 1;
        joins_[set] = 0;
        overflow_[set] = nullptr;
    }
}

void FireflyGroups::MoveEscortSet(int set, const SD::Vec3& head) {
    std::vector<FireflyGroup*>& groups = escort_[set];
    if (groups.empty()) return;
    for (size_t i = groups.size() - 1; i >= 1; --i) {
        groups[i]->centre = groups[i - 1]->centre;
        groups[i]->flags = groups[i - 1]->flags;
        const float offset = std::fmod(RawRandom(), 11.1f) - 5.55f;
        groups[i]->centre = groups[i]->centre + SD::Vec3(offset, offset, offset);
    }
    groups[0]->centre = head;
}

}  // namespace QV
