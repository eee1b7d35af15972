#pragma once
// What the game posts: an ordered list of actions, each held by one reference.
#include <vector>

#include "sound/engine/audio/SxPostedEvent.h"
#include "sound/engine/index/CSxIndexable.h"

namespace SX {

class CSxAction;

class CSxEvent : public CSxIndexable, public ISxPostedEvent {
public:
    // A new event with no actions, not yet in the index; null when memory fails.
    static CSxEvent* Create(SxUniqueID id);
    explicit CSxEvent(SxUniqueID id) : CSxIndexable(id, SxIndex_Event) {}
    ~CSxEvent() override;

    // u32 ID, u32 action count, the action IDs. 14 for an action ID of 0, 2 for an action not
    // loaded; an action named twice is linked once.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);

    uint32_t AddRef() override { return CSxIndexable::AddRef(); }
    uint32_t Release() override { return CSxIndexable::Release(); }
    uint32_t ActionCount() const override { return static_cast<uint32_t>(m_actions.size()); }
    ISxEventAction* Action(uint32_t index) const override;
    CSxAction* GetAction(uint32_t index) const { return m_actions[index]; }

private:
    void ClearActions();

    std::vector<CSxAction*> m_actions;
};

// The loaded event of an ID with a reference for the caller; null when none is loaded.
ISxPostedEvent* SxFindEventAndAddRef(SxUniqueID eventID);

}  // namespace SX
