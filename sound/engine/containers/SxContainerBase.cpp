#include "sound/engine/containers/SxContainerBase.h"

namespace SX {

SXRESULT SxContainerCanAddChild(const CSxParentNode& container, CSxParameterNodeBase* child) {
    if (container.ChildCount() >= CSxParentNode::kMaxChildren) return SX_MaxChildrenReached;
    switch (child->NodeCategory()) {
        case SxNodeCategory_Sound:
        case SxNodeCategory_FeedbackNode:
        case SxNodeCategory_RanSeq:
        case SxNodeCategory_Switch:
        case SxNodeCategory_Layer:
            return SX_Success;
        default:
            return SX_WrongChildKind;
    }
}

}  // namespace SX
