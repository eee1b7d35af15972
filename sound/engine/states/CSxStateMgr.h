#pragma once
// State groups with their current state and transition times; setting a state moves the
// state-driven properties of every node that uses the group. Also keeps the listeners of
// state changes, the trigger subscribers and the prepared game syncs.
#include <cstdint>
#include <vector>

#include "platform/Seam.h"
#include "platform/os/Threads.h"
#include "sound/engine/SxTypes.h"
#include "sound/engine/states/ISxStateListeners.h"

namespace SX {

class CSxRegisteredObj;
class SxStateGroupChunk;

enum SxGroupType : uint32_t { SxGroupType_Switch = 0, SxGroupType_State = 1 };

class CSxStateMgr {
public:
    CSxStateMgr() = default;
    ~CSxStateMgr() { Term(); }
    CSxStateMgr(const CSxStateMgr&) = delete;
    CSxStateMgr& operator=(const CSxStateMgr&) = delete;

    SXRESULT Init();
    void Term();

    // Groups and their times come from banks, on the bank thread, under the global audio lock.
    SXRESULT AddStateGroup(uint32_t groupID);
    SXRESULT SetStateGroupDefaultTime(uint32_t groupID, uint32_t ms);
    SXRESULT AddStateTransition(uint32_t groupID, uint32_t fromState, uint32_t toState, uint32_t ms, bool bothWays);
    SXRESULT RemoveStateTransition(uint32_t groupID, uint32_t fromState, uint32_t toState);
    // Frees the groups (only those without users when onlyUnused).
    void RemoveStateGroups(bool onlyUnused);
    bool IsStateGroupRegistered(uint32_t groupID) const;
    // 0 when the group is unknown.
    uint32_t GetState(uint32_t groupID) const;

    // A node's use of a group; the chunk stays the node's, which removes it before freeing it.
    SXRESULT AddStateGroupChunk(uint32_t groupID, SxStateGroupChunk* chunk);
    void RemoveStateGroupChunk(uint32_t groupID, SxStateGroupChunk* chunk);

    // Null: every change applies at once. One hook for every state manager, kept while none
    // exists, so one installed before the engine starts is asked once it does.
    static void SetStateHook(ISxStateHook* hook) { s_stateHook.Install(hook); }
    static void RemoveStateHook(ISxStateHook* hook) { s_stateHook.Remove(hook); }
    void SetStateInternal(uint32_t groupID, uint32_t stateID, bool skipTransition, bool skipNotification);

    SXRESULT RegisterStateListener(ISxStateListener* listener, uint32_t groupID);
    void UnregisterStateListener(ISxStateListener* listener);

    // gameObj null: the subscriber hears the triggers of every object.
    SXRESULT RegisterTrigger(ISxTriggerAware* subscriber, CSxRegisteredObj* gameObj);
    void UnregisterTrigger(ISxTriggerAware* subscriber);
    // gameObj null: a global trigger, heard by every subscriber.
    void Trigger(uint32_t triggerID, CSxRegisteredObj* gameObj);

    // Game syncs (state or switch values) whose media were prepared, per group.
    SXRESULT PrepareGameSync(SxGroupType type, uint32_t groupID, uint32_t gameSyncID, bool prepare);
    std::vector<uint32_t> GetPreparedContent(uint32_t groupID, SxGroupType type);
    SXRESULT SubscribePrepare(ISxPreparationAware* aware, uint32_t groupID, SxGroupType type);
    void UnsubscribePrepare(ISxPreparationAware* aware, uint32_t groupID, SxGroupType type);

private:
    struct Transition {
        uint32_t fromState, toState, ms;
    };
    struct Group {
        uint32_t id;
        uint32_t defaultTimeMs = 0;
        uint32_t currentState = 0;
        std::vector<Transition> transitions;
        std::vector<SxStateGroupChunk*> chunks;  // the latest first
    };
    struct Listener {
        ISxStateListener* listener;
        uint32_t groupID;
    };
    struct TriggerSubscriber {
        ISxTriggerAware* subscriber;
        uint32_t triggerID;  // 0: any trigger
        CSxRegisteredObj* gameObj;
    };
    struct PreparationRecord {
        uint32_t groupID;
        std::vector<uint32_t> prepared;
        std::vector<ISxPreparationAware*> subscribers;
    };

    Group* FindGroup(uint32_t groupID);
    const Group* FindGroup(uint32_t groupID) const;
    void SetTransition(Group& group, uint32_t fromState, uint32_t toState, uint32_t ms);
    std::vector<PreparationRecord>& Records(SxGroupType type) {
        return type == SxGroupType_State ? m_stateRecords : m_switchRecords;
    }
    PreparationRecord* FindRecord(uint32_t groupID, SxGroupType type);

    std::vector<Group> m_groups;
    std::vector<Listener> m_listeners;
    std::vector<TriggerSubscriber> m_triggers;
    static platform::Seam<ISxStateHook> s_stateHook;
    platform::CriticalSection m_prepareLock;
    std::vector<PreparationRecord> m_stateRecords;  // the latest first
    std::vector<PreparationRecord> m_switchRecords;
};

extern CSxStateMgr* g_pStateMgr;

}  // namespace SX
