#pragma once
// The values a node holds at run time for one game object, or for all: offsets added to the
// node's own properties (volume, LFE level, pitch, low-pass, motion volume) and the mute
// ratio, each moved by a transition of its own.
#include <cstdint>
#include <vector>

#include "sound/engine/transitions/ITransitionable.h"

namespace SX {

class CSxParameterNodeBase;
class CSxRegisteredObj;
class CSxTransition;

class CSxSIS final : public ITransitionable {
public:
    CSxSIS(CSxParameterNodeBase* node, CSxRegisteredObj* gameObj) : m_node(node), m_gameObj(gameObj) {}
    // Leaves every running transition.
    ~CSxSIS();
    CSxSIS(const CSxSIS&) = delete;
    CSxSIS& operator=(const CSxSIS&) = delete;

    // 0 for an offset not set, 1.0 for the mute ratio.
    float Value(uint32_t prop) const;
    CSxTransition* Transition(uint32_t prop) const;
    void SetTransition(uint32_t prop, CSxTransition* transition);
    // Stores the value (a mute ratio from its level in dB) and tells the node.
    void TransUpdateValue(int32_t prop, float value, bool done) override;
    // Stores without telling anyone.
    void Store(uint32_t prop, float value);
    CSxRegisteredObj* GameObj() const { return m_gameObj; }
    // Effect bypass: bits 0-3 the four slots, bit 4 all effects.
    uint8_t BypassBits() const { return m_bypassBits; }
    void SetBypassBits(uint8_t bits, uint8_t mask) {
        m_bypassBits = static_cast<uint8_t>((m_bypassBits & ~mask) | (bits & mask));
    }

private:
    struct Entry {
        uint8_t prop;
        float value;
        CSxTransition* transition;
    };
    Entry* Find(uint32_t prop);
    const Entry* Find(uint32_t prop) const;
    Entry& FindOrAdd(uint32_t prop);

    CSxParameterNodeBase* m_node;
    CSxRegisteredObj* m_gameObj;  // null: every game object
    std::vector<Entry> m_entries;
    uint8_t m_bypassBits = 0;
};

}  // namespace SX
