#pragma once
// The sparse property sets of nodes, states and actions: only the properties an object sets
// are stored, each found by a linear search; a missing one reads as the engine's default.
#include <cstdint>
#include <vector>

#include "sound/engine/SxTypes.h"
#include "sound/engine/hierarchy/SxReadCursor.h"

namespace SX {

enum SxPropID : uint8_t {
    SxProp_Volume = 0,
    SxProp_LFE = 1,
    SxProp_Pitch = 2,
    SxProp_LPF = 3,
    SxProp_Priority = 4,
    SxProp_PriorityDistanceOffset = 5,
    SxProp_LoopCount = 6,  // an integer
    SxProp_FeedbackVolume = 7,
    SxProp_FeedbackLPF = 8,
    SxProp_MuteRatio = 9,
    SxProp_PositioningValue1 = 10,
    SxProp_PositioningValue2 = 11,
    SxProp_PositioningValue3 = 12,
    SxProp_DelayTime = 13,       // samples once loaded (milliseconds in the bank)
    SxProp_TransitionTime = 14,  // milliseconds
    SxProp_Probability = 15,
    SxProp_Count = 16,
};

// A stored value: a float, or an integer for the loop count and the action times.
union SxPropValue {
    float f;
    int32_t i;
};

// The default of a property (float form; the integer ones read it through DefaultInt).
float SxPropDefault(uint32_t id);
int32_t SxPropDefaultInt(uint32_t id);
// Whether the property holds an integer.
bool SxPropIsInt(uint32_t id);

class SxPropBundle {
public:
    struct Entry {
        uint8_t id;
        SxPropValue value;
    };

    // u8 count, count u8 IDs, count 32-bit values. A count that cannot fit the bytes left
    // fails before anything is allocated.
    SXRESULT Read(SxReadCursor& cursor);

    const SxPropValue* Find(uint32_t id) const;
    SxPropValue* Find(uint32_t id);
    float GetFloat(uint32_t id) const {
        const SxPropValue* v = Find(id);
        return v ? v->f : SxPropDefault(id);
    }
    int32_t GetInt(uint32_t id) const {
        const SxPropValue* v = Find(id);
        return v ? v->i : SxPropDefaultInt(id);
    }
    void Set(uint32_t id, SxPropValue value);
    uint32_t Count() const { return static_cast<uint32_t>(m_entries.size()); }
    const Entry& At(uint32_t i) const { return m_entries[i]; }
    void Clear() { m_entries.clear(); }

private:
    std::vector<Entry> m_entries;
};

// Random ranges {minimum, maximum} added to properties.
class SxRangeBundle {
public:
    struct Entry {
        uint8_t id;
        SxPropValue min, max;
    };

    // u8 count, count u8 IDs, count pairs of 32-bit values.
    SXRESULT Read(SxReadCursor& cursor);
    const Entry* Find(uint32_t id) const;
    Entry* Find(uint32_t id);
    void Set(uint32_t id, SxPropValue min, SxPropValue max);
    uint32_t Count() const { return static_cast<uint32_t>(m_entries.size()); }
    void Clear() { m_entries.clear(); }

private:
    std::vector<Entry> m_entries;
};

// A draw between min and max with the engine's 15-bit generator; min alone when equal.
float SxRandomInRange(float min, float max);

}  // namespace SX
