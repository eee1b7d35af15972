#pragma once
// The action kinds beyond play, stop, pause and resume: mute, property, game-parameter,
// use-state, state, switch, effect-bypass, trigger, break and seek actions.
#include <cstdint>

#include "sound/engine/events/CSxAction.h"

namespace SX {

class CSxParameterNodeBase;
class CSxRegisteredObj;

enum SxActionKindByteMore : uint8_t {
    SxActionKind_MuteType = 0x06,
    SxActionKind_UnmuteType = 0x07,
    SxActionKind_SetPitchType = 0x08,
    SxActionKind_ResetLPFType = 0x0F,
    SxActionKind_UseStateType = 0x10,
    SxActionKind_UnuseStateType = 0x11,
    SxActionKind_SetStateType = 0x12,
    SxActionKind_SetGameParameterType = 0x13,
    SxActionKind_ResetGameParameterType = 0x14,
    SxActionKind_SetSwitchType = 0x19,
    SxActionKind_BypassFXType = 0x1A,
    SxActionKind_ResetBypassFXType = 0x1B,
    SxActionKind_BreakType = 0x1C,
    SxActionKind_TriggerType = 0x1D,
    SxActionKind_SeekType = 0x1E,
};

// The kinds made here; null for any other (or when memory fails).
CSxAction* SxCreateActionKind(uint16_t actionType, SxUniqueID id);

// v + min when the range is empty, else v + min + a draw across the range.
float SxRandomizedValue(float value, float min, float max);

// Sets (even kind bytes) or resets (odd ones) a value on the target node, for one game object
// or all, or resets it on every node that holds values (all but the exceptions).
class CSxActionSetValue : public CSxActionExcept {
public:
    using CSxActionExcept::CSxActionExcept;
    SXRESULT Execute(SxPendingAction& pending) override;

protected:
    // u8 fade curve, the kind's own block, the exception list.
    SXRESULT SetActionParams(SxReadCursor& cursor) override;
    virtual SXRESULT ReadValueBlock(SxReadCursor&) { return SX_Success; }

    virtual void SetOnObject(CSxParameterNodeBase* node, CSxRegisteredObj* gameObj) = 0;
    virtual void ResetOnObject(CSxParameterNodeBase* node, CSxRegisteredObj* gameObj) = 0;
    virtual void ResetGlobal(CSxParameterNodeBase* node) = 0;
    // Everything the node holds.
    virtual void ResetAll(CSxParameterNodeBase* node) = 0;
    uint32_t FadeMs() const;

private:
    // Every node that holds values for some object (gameObj null) or for that object.
    void ResetOnModifiedNodes(CSxRegisteredObj* gameObj, bool except);
};

class CSxActionMute final : public CSxActionSetValue {
public:
    using CSxActionSetValue::CSxActionSetValue;

protected:
    void SetOnObject(CSxParameterNodeBase* node, CSxRegisteredObj* gameObj) override;
    void ResetOnObject(CSxParameterNodeBase* node, CSxRegisteredObj* gameObj) override;
    void ResetGlobal(CSxParameterNodeBase* node) override;
    void ResetAll(CSxParameterNodeBase* node) override;
};

// Moves one property (pitch, volume, LFE or low-pass, by the kind) of the target node.
class CSxActionSetAkProp final : public CSxActionSetValue {
public:
    CSxActionSetAkProp(uint16_t actionType, SxUniqueID id);
    uint32_t PropertyID() const { return m_propertyID; }

protected:
    // u8 value meaning, f32 value, f32 random minimum, f32 random maximum.
    SXRESULT ReadValueBlock(SxReadCursor& cursor) override;
    void SetOnObject(CSxParameterNodeBase* node, CSxRegisteredObj* gameObj) override;
    void ResetOnObject(CSxParameterNodeBase* node, CSxRegisteredObj* gameObj) override;
    void ResetGlobal(CSxParameterNodeBase* node) override;
    void ResetAll(CSxParameterNodeBase* node) override;

private:
    float m_value = 0.0f, m_min = 0.0f, m_max = 0.0f;
    SxValueMeaning m_meaning = SxValueMeaning_Offset;
    uint32_t m_propertyID;
};

// Sets or resets the game parameter the target ID names, for the game object or globally.
class CSxActionSetGameParameter final : public CSxActionExcept {
public:
    using CSxActionExcept::CSxActionExcept;
    SXRESULT Execute(SxPendingAction& pending) override;

protected:
    // u8 fade curve, u8 value meaning, f32 value, f32 random minimum, f32 random maximum,
    // the exception list.
    SXRESULT SetActionParams(SxReadCursor& cursor) override;

private:
    float m_value = 0.0f, m_min = 0.0f, m_max = 0.0f;
    SxValueMeaning m_meaning = SxValueMeaning_Offset;
};

// Sets a state group's state (set state) or a game object's switch (set switch).
class CSxActionSetGroupValue final : public CSxAction {
public:
    using CSxAction::CSxAction;
    SXRESULT Execute(SxPendingAction& pending) override;

protected:
    // u32 group ID, u32 state or switch ID.
    SXRESULT SetActionParams(SxReadCursor& cursor) override;

private:
    uint32_t m_groupID = 0;
    uint32_t m_valueID = 0;
};

// Fires the trigger the target ID names, for the game object.
// Makes the target node use its state groups' values (type 0x1002 only) or leave them.
class CSxActionUseState final : public CSxAction {
public:
    using CSxAction::CSxAction;
    static constexpr uint16_t kUseType = 0x1002;
    SXRESULT Execute(SxPendingAction& pending) override;
};

class CSxActionTrigger final : public CSxAction {
public:
    using CSxAction::CSxAction;
    SXRESULT Execute(SxPendingAction& pending) override;
};

// Lets what the target plays end its loops and finish.
class CSxActionBreak final : public CSxAction {
public:
    using CSxAction::CSxAction;
    SXRESULT Execute(SxPendingAction& pending) override;
};

// Bypasses the effects of the slots under its mask on the target node (0x1A), or gives them
// back the bypass of the bank data (0x1B), for the game object or all; a reset may also reach
// every node that holds values (all but the exceptions).
class CSxActionBypassFX final : public CSxActionExcept {
public:
    using CSxActionExcept::CSxActionExcept;
    SXRESULT Execute(SxPendingAction& pending) override;

protected:
    // u8 bypass, u8 effect-slot mask, the exception list.
    SXRESULT SetActionParams(SxReadCursor& cursor) override;

private:
    bool m_bypass = false;
    uint8_t m_mask = 0xFF;
};

// Moves what plays to a fraction of its duration or to a time in milliseconds.
class CSxActionSeek final : public CSxActionExcept {
public:
    using CSxActionExcept::CSxActionExcept;
    SXRESULT Execute(SxPendingAction& pending) override;

protected:
    // u8 is-percentage, f32 value, f32 random minimum, f32 random maximum, u8 snap to a
    // marker, the exception list.
    SXRESULT SetActionParams(SxReadCursor& cursor) override;

private:
    float m_value = 0.0f, m_min = 0.0f, m_max = 0.0f;
    bool m_percentage = false;
    bool m_snap = false;
};

}  // namespace SX
