#pragma once
// A container that plays the children assigned to the current value of a switch group (per
// game object) or a state group. With continuous validation it follows the group while what
// it started plays: on a change, the children of the old value stop or end their loops and
// those of the new value start. With game-sync preparation its media load per value: those
// of the values prepared in the state manager.
#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/containers/CSxMultiPlayNode.h"
#include "sound/engine/rtpc/ISxRTPCSubscriber.h"
#include "sound/engine/states/CSxPreparationAware.h"
#include "sound/engine/states/ISxStateListeners.h"

namespace SX {

class CSxSwitchCntr : public CSxMultiPlayNode,
                      public ISxSwitchSubscriber,
                      public ISxStateListener,
                      public CSxPreparationAware {
public:
    enum GroupType : uint32_t { Group_Switch = 0, Group_State = 1 };
    // Child flags.
    static constexpr uint8_t kBehaviorMask = 7;  // 1: stop with the fade-out on leaving, else end the loop
    static constexpr uint8_t kFirstOnly = 1 << 3;
    static constexpr uint8_t kContinueAcrossSwitch = 1 << 4;

    // Constructed and entered in the node table; null when memory fails.
    static CSxSwitchCntr* Create(SxUniqueID id);
    using CSxMultiPlayNode::CSxMultiPlayNode;
    ~CSxSwitchCntr() override;

    // u32 ID, the common node block, u32 group, u32 group type, u32 default switch, u8
    // continuous validation, the children, the switch lists, the child parameters.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);
    SxNodeCategory NodeCategory() const override { return SxNodeCategory_Switch; }
    // Plays the children of the current value (or of the default switch) for the request's
    // game object; the result of the last child's play, 2 when none was played. An item of a
    // sample-accurate chain joins with one child only: the first that starts. Within a chain,
    // the chain goes on after the last child to end, or at once when none started.
    SXRESULT Play(SxPBIParams& params) override;
    // Without game-sync preparation every child; with it, the children of the group's
    // prepared values, following the values prepared and unprepared until the last
    // UnPrepareData.
    SXRESULT PrepareData() override;
    void UnPrepareData() override;
    // Stop and break end the followed plays they name, pause and resume hold them; then the
    // action reaches the children.
    SXRESULT ExecuteAction(const SxActionParams& params) override;
    void RemoveChild(CSxParameterNodeBase* child) override;

    void OnSwitchChange(uint32_t switchID, CSxRegisteredObj* gameObj) override;
    void OnStateChanged(uint32_t stateID) override;

    uint32_t GroupID() const { return m_groupID; }
    GroupType GroupKind() const { return m_groupType; }
    uint32_t DefaultSwitch() const { return m_defaultSwitch; }
    // A chain that goes through the container waits there once its children end: the group
    // decides what plays next.
    bool IsContinuousValidation() const override { return m_continuousValidation; }
    // The child IDs of a value; null when it has no list.
    const std::vector<SxUniqueID>* ChildrenOf(uint32_t switchID) const;
    uint8_t ChildFlags(SxUniqueID childID) const;
    // An action that reaches every node (the stop-all scopes, a stopped playing ID) reaches the
    // followed plays of each container that holds some, unless the container or a node above
    // it is among the exceptions. Under the global audio lock.
    static void ExecuteOnAllFollowed(const SxActionParams& params, const std::vector<SxUniqueID>& exceptions);

protected:
    // Sounds, feedback nodes and containers only.
    SXRESULT CanAddChild(CSxParameterNodeBase* child) override;
    // CSxPreparationAware
    std::vector<uint32_t> PreparationValues() const override;
    std::vector<SxUniqueID> PreparationNodes(uint32_t value) const override;
    uint32_t PreparationGroup() const override { return m_groupID; }
    SxGroupType PreparationGroupType() const override { return static_cast<SxGroupType>(m_groupType); }

private:
    friend struct platform::TestProbe<CSxSwitchCntr>;

    struct SwitchList {
        uint32_t switchID;
        std::vector<SxUniqueID> children;
    };
    struct ChildParams {
        SxUniqueID nodeID;
        uint32_t fadeOutMs, fadeInMs;
        uint8_t flags;
    };
    // A play accepted while continuous validation is on; it keeps the container active.
    struct Followed {
        CSxRegisteredObj* gameObj;  // one reference held (null: none)
        SxPlayingID playingID;
        uint32_t customData[3];
        uint32_t sampleOffset;
        bool paused;
    };

    SXRESULT Subscribe(uint32_t groupID, GroupType type);
    void Unsubscribe();
    uint32_t CurrentValue(CSxRegisteredObj* gameObj) const;
    const ChildParams* ParamsOf(SxUniqueID childID) const;
    SXRESULT AddToSwitch(uint32_t switchID, SxUniqueID nodeID);
    // The children of a value, else those of the default switch (value then becomes it).
    const std::vector<SxUniqueID>* ListFor(uint32_t& value) const;
    SXRESULT SwitchChange(uint32_t value, CSxRegisteredObj* gameObj);
    void DropFollowed(size_t index);
    // Stop and break end the followed plays the action names, pause and resume hold them.
    void ApplyToFollowed(const SxActionParams& params);

    // The containers whose followed plays are not empty.
    static std::vector<CSxSwitchCntr*> s_following;

    std::vector<SwitchList> m_switches;
    std::vector<ChildParams> m_childParams;
    std::vector<Followed> m_followed;
    uint32_t m_groupID = 0;
    GroupType m_groupType = Group_Switch;
    uint32_t m_defaultSwitch = 0;
    bool m_continuousValidation = false;
    bool m_subscribed = false;
};

}  // namespace SX
