#pragma once
// A container whose media follow the prepared values of its group: while the container is
// prepared, the nodes of a value are prepared as the value is, and unprepared with it. Each
// node prepared is recorded with its value, so that exactly those are undone even when the
// container's lists change in between.
#include <cstdint>
#include <vector>

#include "sound/engine/SxTypes.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/states/ISxStateListeners.h"

namespace SX {

class CSxPreparationAware : public ISxPreparationAware {
public:
    // How many preparations the container holds.
    uint32_t PreparationCount() const { return m_preparationCount; }

    // A value of the group prepared or unprepared (by the state manager, on the bank thread):
    // its nodes follow while the container is prepared.
    SXRESULT ModifyActiveState(uint32_t value, bool prepare) override;

protected:
    CSxPreparationAware() = default;
    ~CSxPreparationAware();
    // The values that have nodes, in the container's order, and the nodes of one.
    virtual std::vector<uint32_t> PreparationValues() const = 0;
    virtual std::vector<SxUniqueID> PreparationNodes(uint32_t value) const = 0;
    virtual uint32_t PreparationGroup() const = 0;
    virtual SxGroupType PreparationGroupType() const = 0;

    // The first preparation prepares the nodes of the values prepared now and follows the
    // group; a failure undoes it all. Later ones only count.
    SXRESULT PrepareByValue();
    // The last one unprepares every node prepared and stops following the group.
    void UnPrepareByValue();

private:
    struct Prepared {
        uint32_t value;
        SxUniqueID node;
    };
    SXRESULT PrepareValue(uint32_t value);
    void UnPrepareValue(uint32_t value);
    void Unsubscribe();

    std::vector<Prepared> m_prepared;
    uint32_t m_preparationCount = 0;
    bool m_subscribed = false;
    uint32_t m_subscribedGroup = 0;
    SxGroupType m_subscribedType = SxGroupType_Switch;
};

}  // namespace SX
