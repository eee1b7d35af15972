#pragma once
// A container that plays all its children at once; its layers tie children to game
// parameters and crossfades.
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/containers/CSxMultiPlayNode.h"

namespace SX {

class CSxLayer;

class CSxLayerCntr : public CSxMultiPlayNode {
public:
    // Constructed and entered in the node table; null when memory fails.
    static CSxLayerCntr* Create(SxUniqueID id);
    using CSxMultiPlayNode::CSxMultiPlayNode;
    ~CSxLayerCntr() override;

    // u32 ID, the common node block, the children, u32 layer count and each layer's body.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);
    SxNodeCategory NodeCategory() const override { return SxNodeCategory_Layer; }
    // Every child plays a copy of the request, in order; the first failure ends the play and
    // is its result. With no children nothing plays and the play succeeds. Within a chain, the
    // chain goes on after the last child to end, or at once when none started.
    SXRESULT Play(SxPBIParams& params) override;
    void RemoveChild(CSxParameterNodeBase* child) override;

    CSxLayer* Layer(uint32_t i) const { return m_layers[i]; }

    // What the layers of every layer container above the node give an instance of it.
    static void AddLayerParameters(const CSxParameterNodeBase* node, SxAudioSums& sums, uint32_t mask,
                                   CSxRegisteredObj* gameObj, float& volumeFactor);

protected:
    SXRESULT CanAddChild(CSxParameterNodeBase* child) override;

private:
    friend struct platform::TestProbe<CSxLayerCntr>;

    std::vector<CSxLayer*> m_layers;  // one reference each
};

}  // namespace SX
