#pragma once
// A bus of the motion pipeline. Its tree is apart from the audio buses'; the first one made is
// the master motion bus, through which every motion instance plays.
#include "sound/engine/buses/CSxBus.h"

namespace SX {

class CSxFeedbackBus : public CSxBus {
public:
    // Constructed and entered in the node table; the master motion bus when there is none.
    static CSxFeedbackBus* Create(SxUniqueID id);
    explicit CSxFeedbackBus(SxUniqueID id) : CSxBus(id) {}
    ~CSxFeedbackBus() override;

    SxNodeCategory NodeCategory() const override { return SxNodeCategory_FeedbackBus; }

    static CSxFeedbackBus* GetMasterMotionBusAndAddRef();
    // The motion bus through which a node's paths to the motion devices go: the nearest
    // feedback bus named up its parents, else the master motion bus. Referenced; null when
    // none is loaded.
    static CSxFeedbackBus* OfNodeAndAddRef(const CSxParameterNodeBase* node);
    // The nearest feedback bus named up the node's parents; null when none is named.
    static CSxFeedbackBus* NamedOfNodeAndAddRef(const CSxParameterNodeBase* node);

    // What the motion buses from bus up give a path to the motion devices: their volumes (dB)
    // go to the path's level and their pitch to a motion instance's pitch. A motion bus's volume
    // and pitch reach only motion paths; the audio buses' never do.
    struct Levels {
        float volumeDb = 0.0f;
        float pitch = 0.0f;
    };
    static Levels ChainLevels(const CSxBus* bus);

    // The motion instances routed through the bus take its values again.
    void RecalcNotification() override;
};

}  // namespace SX
