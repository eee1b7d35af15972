#pragma once
// The part of switch and layer containers that lets a chain of continuous plays go through
// them. Within a chain, each child the container plays at once gets a chain of its own whose
// first level names this container and the chain above it; the chain above goes on with its
// next item only once the last of those children has ended. The container keeps a use count
// per chain that passes through it.
#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/hierarchy/CSxParentNode.h"
#include "sound/engine/upper/SxPBIParams.h"

namespace SX {

class SxContinueList;

class CSxMultiPlayNode : public CSxParentNode {
public:
    using CSxParentNode::CSxParentNode;
    // Lets every chain that still passes through the container go.
    ~CSxMultiPlayNode() override;

    // Whether the container holds the chains that pass through it once their children end
    // (it follows its group while they play, and the group decides what plays next).
    virtual bool IsContinuousValidation() const { return false; }

    // One more use of the chain (a reference is held while it has any).
    void AddContinuationList(SxContinueList* list);
    // One use less; at the last the chain goes.
    void UnregisterContinuationList(SxContinueList* list);
    // One use less. At the last, the chain is handed back (with the reference the container
    // held) so that it goes on, unless the container holds it; null otherwise.
    SxContinueList* RemoveContinuationList(SxContinueList* list);

protected:
    // Before a play's children: the request's chain, one use held for the play; null for a plain
    // request.
    SxContinueList* TakeContinuationList(const SxPBIParams& params);
    // Plays one child with a copy of the request. Within a chain, a child among several gets a
    // chain of its own that hands over to the request's when it ends; a single child goes on
    // with the request's chain itself.
    SXRESULT PlayChild(CSxParameterNodeBase& child, const SxPBIParams& params, bool amongSeveral);
    // After a play's children: the play's use of the chain goes. When no child started (and the
    // container does not hold its chains) the chain goes on at once with its next item; that
    // result is returned, else success.
    SXRESULT EndContinuation(SxContinueList* list, bool started, SxPBIParams& params);

private:
    friend struct platform::TestProbe<CSxMultiPlayNode>;

    struct Registration {
        SxContinueList* list;
        uint32_t uses;
    };
    // The registration's position, or -1.
    int32_t Find(const SxContinueList* list) const;

    std::vector<Registration> m_registrations;
};

}  // namespace SX
