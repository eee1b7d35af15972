#pragma once
// What every container (random/sequence, switch, layer) accepts as a child: sounds, feedback
// nodes and other containers, up to the most children a parent holds.
#include "sound/engine/hierarchy/CSxParentNode.h"

namespace SX {

// 9 when the container is full, 4 for a child of another kind, else what any parent checks.
SXRESULT SxContainerCanAddChild(const CSxParentNode& container, CSxParameterNodeBase* child);

}  // namespace SX
