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

    // The volume in dB the master motion bus and the buses above it give a motion instance.
    static float MotionVolumeDb();
};

}  // namespace SX
