#pragma once
// A layer of a layer container: game-parameter bindings that add to the children associated
// with it, and a crossfade game parameter whose value, through each association's curve,
// scales what the child plays.
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/rtpc/ISxRTPCSubscriber.h"

namespace SX {

class CSxLayerCntr;

class CSxLayer : public CSxIndexable, public ISxRTPCSubscriber {
public:
    // Constructed and entered in the layer table; null when memory fails.
    static CSxLayer* Create(SxUniqueID id);
    explicit CSxLayer(SxUniqueID id) : CSxIndexable(id, SxIndex_Layer) {}
    ~CSxLayer() override;

    // u32 ID, the game-parameter bindings, u32 crossfade game parameter, u32 association
    // count, each u32 child ID, u32 point count and the points.
    SXRESULT SetInitialValues(SxReadCursor& cursor);
    void SetOwner(CSxLayerCntr* owner) { m_owner = owner; }
    // 2 when the child is loaded under another parent.
    SXRESULT SetChildAssoc(SxUniqueID childID, const SxCurvePoint* points, uint32_t count);
    // 16 when the child has no association.
    SXRESULT RemoveChildAssoc(SxUniqueID childID);
    bool IsAssociated(SxUniqueID childID) const;
    uint32_t CrossfadeGameParameter() const { return m_crossfade; }

    // What the layer gives an instance of a child (or of a node below it): its bound values
    // add to the sums, and the crossfade ratio ((dB + 96.3) / 96.3 of the child's curve at the
    // parameter's value) scales the volume factor.
    void AddParameters(SxUniqueID childID, SxAudioSums& sums, uint32_t mask, CSxRegisteredObj* gameObj,
                       float& volumeFactor) const;

    // ISxRTPCSubscriber: a bound value changed, the associated children recompute.
    bool IsActiveForRTPC() const override;
    void SetRTPCValue(uint32_t propertyID, float value, CSxRegisteredObj* gameObj) override;

private:
    struct Association {
        SxUniqueID childID;
        std::unique_ptr<CSxConversionTable> curve;
    };
    const Association* Find(SxUniqueID childID) const;
    void NotifyChildren();

    std::vector<Association> m_associations;
    uint64_t m_rtpcBits = 0;  // bit N: a binding on node parameter N
    CSxLayerCntr* m_owner = nullptr;
    uint32_t m_crossfade = 0;
};

}  // namespace SX
