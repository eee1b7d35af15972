#pragma once
// Blueprint files written by the tests: their text, and one written into a test's install tree
// and added to the factory's blueprints.
#include <string>

#include "engine/Factory.h"
#include "support/TempTree.h"

namespace enginetest {

inline std::string BlueprintFileText(const std::string& blueprints) {
    return "<?xml version=\"1.0\" ?>\n<GameObjectBlueprints>\n" + blueprints + "</GameObjectBlueprints>\n";
}

// relative is the file's place under the tree's root ("Assets/Objects/...").
inline void AddBlueprintFile(const qvtest::TempTree& tree, SD::Factory_& factory, const std::string& relative,
                             const std::string& blueprints) {
    tree.Write(relative, BlueprintFileText(blueprints));
    factory.AddBlueprint(("../" + relative).c_str());
}

}  // namespace enginetest
