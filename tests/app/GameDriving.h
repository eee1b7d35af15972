#pragma once
// What the tests that drive the whole game share: the running state's name, a setting of the
// copied configuration changed, the splash passing on by itself, where a saved level put an
// object, and the turn a player holds towards a place.
#include <gtest/gtest.h>

#include <filesystem>
#include <cmath>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "core/Vector.h"
#include "engine/Level.h"
#include "engine/Transform.h"
#include "runtime/GameStateManager.h"
#include "runtime/InputCodes.h"
#include "support/TempTree.h"

namespace qvtest {

// A copy of the sample data the game reads through "../Assets" and "../Graphics".
inline void CopySampleTree(const TempTree& tree) {
    for (const char* folder : {"Assets", "Graphics"})
        std::filesystem::copy(SourceDir() + "/" + folder, tree.Path(folder), std::filesystem::copy_options::recursive);
}

// The name of the game state running now, empty while none runs.
inline std::string Running() {
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    if (!states || !states->GetCurrentLevel() || states->GetPhase() != SD::GameStateManager_::kRun) return "";
    return states->GetCurrentLevel()->GetName();
}

// Sets key=value in a section of the tree's Assets/Config/config.ini; both must be there.
inline void SetConfig(const TempTree& tree, const std::string& section, const std::string& key,
                      const std::string& value) {
    std::string text = tree.Read("Assets/Config/config.ini");
    const size_t at = text.find("[" + section + "]");
    ASSERT_NE(at, std::string::npos) << section;
    const size_t line = text.find("\n" + key + "=", at);
    ASSERT_NE(line, std::string::npos) << key;
    const size_t end = text.find('\n', line + 1);
    text.replace(line + 1, end - line - 1, key + "=" + value);
    tree.Write("Assets/Config/config.ini", text);
}

// The tree's splash without its pictures: it passes on at once instead of waiting on its
// controls screen for a key, so a run without input reaches the menu.
inline void WithoutSplashPictures(const TempTree& tree) {
    std::string objects = tree.Read("Assets/Objects/Objects.man");
    const std::string splash = "\"Hud/Splash.xml\"\n";
    ASSERT_NE(objects.find(splash), std::string::npos);
    tree.Write("Assets/Objects/Objects.man", objects.erase(objects.find(splash), splash.size()));
}

// The position of the first object made from that blueprint in a level's objects.xml; none
// when the file holds no such object or no whole position for it.
inline std::optional<SD::Vec3> SavedPosition(const std::string& objectsXml, const std::string& blueprint) {
    size_t at = objectsXml.find("blueprint=\"" + blueprint + "\"");
    if (at == std::string::npos || (at = objectsXml.find("name=\"position\"", at)) == std::string::npos) return {};
    float xyz[3];
    for (float& value : xyz) {
        const std::string tag = "<Float value=\"";
        if ((at = objectsXml.find(tag, at)) == std::string::npos) return {};
        at += tag.size();
        value = std::stof(objectsXml.substr(at, 32));
    }
    return SD::Vec3(xyz[0], xyz[1], xyz[2]);
}

// The turn key a player holds to bring a place ahead of the vehicle, seen from above: none with
// the place within a few degrees of straight on, and a turn to its side when it lies behind.
inline void TurnToward(const SD::Transform& vehicle, const SD::Vec3& place, std::set<uint32_t>& keys) {
    const SD::Vec3 facing = vehicle.GetDir();
    const SD::Vec3 to = place - vehicle.GetLocalPos();
    const float flatFacing = std::hypot(facing.x, facing.z), flatTo = std::hypot(to.x, to.z);
    if (!(flatFacing > 0.0f && flatTo > 0.0f)) return;
    const float side = (facing.z * to.x - facing.x * to.z) / (flatFacing * flatTo);
    const bool behind = facing.x * to.x + facing.z * to.z < 0.0f;
    if (side > 0.05f || (behind && side >= 0.0f)) keys.insert(SD::key_D);
    if (side < -0.05f || (behind && side < 0.0f)) keys.insert(SD::key_A);
}

}  // namespace qvtest
