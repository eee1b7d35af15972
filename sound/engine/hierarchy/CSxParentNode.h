#pragma once
// A node with children kept sorted by ID. A child holds a reference to its parent; a parent
// never becomes its own ancestor.
#include <vector>

#include "sound/engine/hierarchy/CSxParameterNodeBase.h"

namespace SX {

class CSxParentNode : public CSxParameterNodeBase {
public:
    static constexpr uint32_t kMaxChildren = 65535;

    using CSxParameterNodeBase::CSxParameterNodeBase;
    ~CSxParentNode() override;

    // 14 for ID 0, 15 for a node not loaded, else what CanAddChild answers; on success the
    // child is linked and holds a reference to this node.
    SXRESULT AddChild(SxUniqueID childID) override;
    void RemoveChild(CSxParameterNodeBase* child) override;
    // u32 count, count u32 child IDs, each added in order; the first failure is returned.
    SXRESULT SetChildren(SxReadCursor& cursor);
    // Lets every child go: a block that fails after linking some leaves no reference behind
    // that would keep the node alive.
    void RemoveAllChildren();
    // The action reaches every child, from the last to the first.
    SXRESULT ExecuteAction(const SxActionParams& params) override;
    // A change of this node's values reaches the instances of every node below it.
    void RecalcNotification() override;
    // Every child in order; a failure unprepares those before it and is returned.
    SXRESULT PrepareData() override;
    void UnPrepareData() override;

    uint32_t ChildCount() const { return static_cast<uint32_t>(m_children.size()); }
    CSxParameterNodeBase* Child(uint32_t i) const { return m_children[i]; }

protected:
    // 21 when the child has a parent, 5 when it is a child already, 23 when it is this node or
    // one of its ancestors (it would become its own ancestor), else 1. Subclasses check the
    // child's kind first.
    virtual SXRESULT CanAddChild(CSxParameterNodeBase* child);

private:
    std::vector<CSxParameterNodeBase*> m_children;  // sorted by ID
};

// Groups children so that they inherit its values; it takes any child but a bus.
class CSxActorMixer : public CSxParentNode {
public:
    // Constructed and entered in the node table; null when memory fails.
    static CSxActorMixer* Create(SxUniqueID id);
    using CSxParentNode::CSxParentNode;

    // u32 ID, the common node block, the children.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);
    SxNodeCategory NodeCategory() const override { return SxNodeCategory_ActorMixer; }
    // An actor mixer only groups: it has nothing of its own to play.
    SXRESULT Play(SxPBIParams&) override { return SX_Fail; }

protected:
    SXRESULT CanAddChild(CSxParameterNodeBase* child) override;
};

}  // namespace SX
