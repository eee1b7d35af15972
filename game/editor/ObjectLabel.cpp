#include "game/editor/ObjectLabel.h"

#include "engine/GameObject.h"

namespace QV {

std::string ObjectLabel(const SD::GameObject* object) {
    if (!object) return std::string();
    const std::string& blueprint = object->GetBlueprintName();
    const size_t slash = blueprint.find_last_of("/\\");
    const std::string base = slash == std::string::npos ? blueprint : blueprint.substr(slash + 1);
    return base + "_" + std::to_string(object->GetObjectId());
}

}  // namespace QV
