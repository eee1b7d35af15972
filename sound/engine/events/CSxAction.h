#pragma once
// One command of an event on the sound hierarchy: its target element, its properties (delay,
// fade time, probability) with their random ranges, its type (kind in the high byte, scope in
// the low byte) and its fade curve. The audio manager runs it through Execute once its delay
// has passed.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "sound/engine/audio/SxPostedEvent.h"
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/index/CSxIndexable.h"

namespace SX {

class CSxParameterNodeBase;
class CSxRegisteredObj;

enum SxActionKindByte : uint8_t {
    SxActionKind_StopType = 0x01,
    SxActionKind_PauseType = 0x02,
    SxActionKind_ResumeType = 0x03,
    SxActionKind_PlayType = 0x04,
};

class CSxAction : public CSxIndexable, public ISxEventAction {
public:
    // The factory: the class of the type's kind, with the index's action table holding it when
    // the ID is not 0. Null for a kind this engine does not make, or when memory fails.
    static CSxAction* Create(uint16_t actionType, SxUniqueID id);

    CSxAction(uint16_t actionType, SxUniqueID id) : CSxIndexable(id, SxIndex_Action), m_type(actionType) {}

    // u32 ID and u16 type (skipped: Create had them), u32 target, the property and range
    // bundles, then the kind's own block. Delays in the bundles become samples.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);

    uint32_t AddRef() override { return CSxIndexable::AddRef(); }
    uint32_t Release() override { return CSxIndexable::Release(); }
    uint16_t ActionType() const override { return m_type; }
    SxUniqueID ActionID() const override { return ID(); }
    SxUniqueID TargetID() const override { return m_targetID; }
    uint32_t DelaySamples() const override { return static_cast<uint32_t>(GetDelay()); }

    void SetElementID(SxUniqueID id) { m_targetID = id; }
    void SetSxPropInt(uint32_t id, int32_t value, int32_t min, int32_t max);
    // The delay in samples and the fade time in milliseconds, each with one random draw.
    // Never negative: a range may take the bank's delay below 0.
    int32_t GetDelay() const { return std::max(0, RandomizedInt(SxProp_DelayTime)); }
    int32_t GetFadeTime() const { return RandomizedInt(SxProp_TransitionTime); }
    SxCurveInterpolation FadeCurve() const { return static_cast<SxCurveInterpolation>(m_flags & 0x1F); }
    const SxPropBundle& Props() const { return m_props; }
    const SxRangeBundle& Ranges() const { return m_ranges; }

protected:
    // The registered object of a pending action, with a reference, or null (every object).
    static CSxRegisteredObj* GameObjectOf(const SxPendingAction& pending);
    // The node with a reference, or null when it is not loaded.
    static CSxParameterNodeBase* FindNode(SxUniqueID id);
    virtual SXRESULT SetActionParams(SxReadCursor& cursor);
    bool ReadCurve(SxReadCursor& cursor);
    int32_t RandomizedInt(uint32_t id) const;

    uint8_t m_flags = SxCurve_Linear;  // bits 0-4 fade curve, bit 5 bank ID given

private:
    SxPropBundle m_props;
    SxRangeBundle m_ranges;
    SxUniqueID m_targetID = 0;
    uint16_t m_type;
};

// Plays its target for the pending action's game object.
class CSxActionPlay : public CSxAction {
public:
    using CSxAction::CSxAction;
    SXRESULT Execute(SxPendingAction& pending) override;
    SxBankID BankID() const { return m_bankID; }

protected:
    // u8 fade curve, u32 bank ID.
    SXRESULT SetActionParams(SxReadCursor& cursor) override;

private:
    SxBankID m_bankID = 0xFFFFFFFFu;
};

// An action with a list of element IDs its scope leaves out.
class CSxActionExcept : public CSxAction {
public:
    using CSxAction::CSxAction;
    SXRESULT AddException(SxUniqueID id);
    const std::vector<SxUniqueID>& Exceptions() const { return m_exceptions; }

protected:
    // Every node that holds values for the game object, or (null) every node that holds values
    // for all objects or for any; with except, those in the list are left out.
    void ForModifiedNodes(CSxRegisteredObj* gameObj, bool except, const std::function<void(CSxParameterNodeBase*)>& fn);
    // u32 count, count u32 IDs.
    SXRESULT ReadExceptions(SxReadCursor& cursor);
    bool IsExcepted(SxUniqueID id) const;

private:
    std::vector<SxUniqueID> m_exceptions;
};

// Stop, pause and resume: on the target, on everything, or on everything but the exceptions,
// and on the pending actions the same selection names.
class CSxActionActive : public CSxActionExcept {
public:
    using CSxActionExcept::CSxActionExcept;
    SXRESULT Execute(SxPendingAction& pending) override;

protected:
    // u8 fade curve, the kind's own flag (pause: also pause pending resumes; resume: master
    // resume), the exception list.
    SXRESULT SetActionParams(SxReadCursor& cursor) override;

    uint8_t m_masterResume = 0;
    uint8_t m_pauseResumeActions = 1;
};

}  // namespace SX
