#pragma once
// What the tests that drive the whole game share: the running state's name and a setting of the
// copied configuration changed.
#include <gtest/gtest.h>

#include <string>

#include "engine/Level.h"
#include "runtime/GameStateManager.h"
#include "support/TempTree.h"

namespace qvtest {

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

}  // namespace qvtest
