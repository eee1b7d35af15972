#pragma once
// A game object the game registered: its emitter positions, listeners, environment sends,
// obstruction and occlusion, dry level, attenuation scaling and per-node switch entries.
#include <atomic>
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/SxArray.h"
#include "sound/engine/SxPoolList.h"
#include "sound/engine/SxTypes.h"

namespace SX {

class CSxIndexable;
class CSxRegisteredObj;

struct SxSwitchEntry {
    SxUniqueID nodeID = 0;
    uint32_t value[2] = {};
};

class CSxRegisteredObj {
public:
    static constexpr uint32_t kMaxListeners = 8;
    static constexpr uint32_t kMaxEnvironments = 4;

    explicit CSxRegisteredObj(SxGameObjectID id) : m_id(id) {}
    ~CSxRegisteredObj();
    CSxRegisteredObj(const CSxRegisteredObj&) = delete;
    CSxRegisteredObj& operator=(const CSxRegisteredObj&) = delete;

    int32_t AddRef() { return ++m_refCount; }
    // Destroys the object (memory back to the default pool) when the count falls below 1.
    int32_t Release();

    SxGameObjectID ID() const { return m_id; }
    const SxSoundPosition* Positions() const { return m_positions.Data(); }
    uint16_t PositionCount() const { return static_cast<uint16_t>(m_positions.Length()); }
    uint8_t ActiveListeners() const { return m_activeListeners; }
    const SxEnvironmentValue* EnvironmentValues() const { return m_environments; }
    uint8_t Obstruction(uint32_t listener) const { return m_obstruction[listener]; }
    uint8_t Occlusion(uint32_t listener) const { return m_occlusion[listener]; }
    float DryLevel() const { return m_dryLevel; }
    float AttenuationScalingFactor() const { return m_attenuationScaling; }

    SXRESULT SetPositions(const SxSoundPosition* positions, uint16_t count, uint8_t type, uint8_t listener);
    void SetActiveListeners(uint8_t mask) { m_activeListeners = mask; }
    SXRESULT SetEnvironmentValues(const SxEnvironmentValue* values, uint32_t count);
    void SetDryLevel(float value) { m_dryLevel = value; }
    void SetAttenuationScalingFactor(float value) { m_attenuationScaling = value; }
    // Values are clamped to [0, 1] and stored as bytes (x 255).
    SXRESULT SetObstructionAndOcclusion(uint32_t listener, float obstruction, float occlusion);

    // The entry's two words, or two zeros when the object or the entry is missing.
    static void FindSwitch(const CSxRegisteredObj* object, SxUniqueID nodeID, uint32_t value[2]);
    // Replaces or appends the entry; SX_Fail with no object or no memory.
    static SXRESULT SetSwitch(CSxRegisteredObj* object, SxUniqueID nodeID, const uint32_t value[2]);
    void ClearSwitch(SxUniqueID nodeID);

    // Records that the node holds values for this object, so that its destruction reaches
    // the node; SX_Fail when memory fails.
    SXRESULT SetNodeAsModified(SxUniqueID nodeID);
    // Null until a node first holds values for the object.
    const SxPoolList<SxUniqueID>* ModifiedNodes() const { return m_pModifiedNodes; }

private:
    friend struct platform::TestProbe<CSxRegisteredObj>;

    SxPoolList<SxUniqueID>* m_pModifiedNodes = nullptr;
    SxArray<SxSoundPosition> m_positions{1};
    uint8_t m_activeListeners = 1;
    uint8_t m_positionBits = 31 << 3;  // bits 0-2 multi-position type, 3-7 listener index
    SxEnvironmentValue m_environments[kMaxEnvironments];
    SxArray<SxSwitchEntry> m_switches{4};
    uint8_t m_obstruction[kMaxListeners] = {};
    uint8_t m_occlusion[kMaxListeners] = {};
    float m_dryLevel = 1.0f;
    float m_attenuationScaling = 1.0f;
    SxGameObjectID m_id;
    std::atomic<int32_t> m_refCount{1};
};

}  // namespace SX
