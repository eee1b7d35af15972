#pragma once
// The firefly manager's groups: the table that owns them, the three escort sets that trail the
// player in a loose snake, the round robin that spreads joining fireflies over an escort set
// (with overflow groups of three once eight have joined), and the groups made on request,
// whose empty ones are collected when the table runs full.
#include <array>
#include <vector>

#include "core/Vector.h"
#include "game/fireflies/FireflyGroup.h"
#include "game/fireflies/FireflyGroupTable.h"

namespace QV {

class FireflyGroups {
public:
    static constexpr int kEscortSets = 3;
    static constexpr size_t kEscortGroups = 5;
    // Joins spread round robin over a set before overflow groups take the rest.
    static constexpr int kRoundRobinJoins = 8;
    static constexpr size_t kOverflowMembers = 3;

    // Five escort groups in each set, cursors on the last group, no joins yet.
    void Initialize();
    // Destroys every group and empties every list.
    void Shutdown();

    // A new group (flag word 1) at the centre; when the table is nearly full the request-made
    // groups without members are collected first. Null when the table stays full.
    FireflyGroup* CreateGroup(const SD::Vec3& centre);
    // CreateGroup, remembered among the request-made groups that may be collected.
    FireflyGroup* CreateRequestGroup(const SD::Vec3& centre);
    // The escort group a joining firefly goes to; null for a set other than 0 to 2 (or when no
    // group can be made).
    FireflyGroup* PickEscortGroup(int set);
    // Back to the first five groups of each set, cursors, counters and overflow groups reset.
    void ResetEscort();
    // Moves a set one step: each group takes the centre and flag word of the one ahead of it
    // plus a random offset, and the first group goes to the head point.
    void MoveEscortSet(int set, const SD::Vec3& head);

    const std::vector<FireflyGroup*>& EscortSet(int set) const { return escort_[set]; }
    const std::vector<FireflyGroupHandle>& RequestGroups() const { return requestGroups_; }
    FireflyGroupTable& Table() { return table_; }

private:
    FireflyGroup* MakeEscortGroup();
    void CollectEmptyRequestGroups();

    FireflyGroupTable table_;
    std::array<std::vector<FireflyGroup*>, kEscortSets> escort_;
    std::array<int, kEscortSets> cursor_{};
    std::array<int, kEscortSets> joins_{};
    std::array<FireflyGroup*, kEscortSets> overflow_{};
    std::vector<FireflyGroupHandle> requestGroups_;
};

}  // namespace QV
