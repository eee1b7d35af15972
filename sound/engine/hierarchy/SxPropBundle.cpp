#include "sound/engine/hierarchy/SxPropBundle.h"

#include "platform/os/Random.h"

namespace SX {

namespace {
constexpr float kDefaults[SxProp_Count] = {0.0f, 0.0f, 0.0f, 0.0f, 50.0f, -10.0f, 0.0f, 0.0f,
                                           0.0f, 1.0f, 0.0f, 0.0f, 0.0f,  0.0f,   0.0f, 100.0f};
}

float SxPropDefault(uint32_t id) { return id < SxProp_Count ? kDefaults[id] : 0.0f; }

int32_t SxPropDefaultInt(uint32_t id) { return id == SxProp_LoopCount ? 1 : 0; }

bool SxPropIsInt(uint32_t id) {
    return id == SxProp_LoopCount || id == SxProp_DelayTime || id == SxProp_TransitionTime;
}

SXRESULT SxPropBundle::Read(SxReadCursor& cursor) {
    uint8_t count;
    if (!cursor.U8(count) || !cursor.HasRoomFor(count, 5)) return SX_Fail;
    m_entries.assign(count, Entry{});
    for (Entry& e : m_entries) cursor.U8(e.id);
    for (Entry& e : m_entries) {
        uint32_t bits = 0;
        cursor.U32(bits);
        e.value.i = static_cast<int32_t>(bits);
    }
    return SX_Success;
}

const SxPropValue* SxPropBundle::Find(uint32_t id) const {
    for (const Entry& e : m_entries)
        if (e.id == id) return &e.value;
    return nullptr;
}

SxPropValue* SxPropBundle::Find(uint32_t id) {
    for (Entry& e : m_entries)
        if (e.id == id) return &e.value;
    return nullptr;
}

void SxPropBundle::Set(uint32_t id, SxPropValue value) {
    if (SxPropValue* v = Find(id))
        *v = value;
    else
        m_entries.push_back(Entry{static_cast<uint8_t>(id), value});
}

SXRESULT SxRangeBundle::Read(SxReadCursor& cursor) {
    uint8_t count;
    if (!cursor.U8(count) || !cursor.HasRoomFor(count, 9)) return SX_Fail;
    m_entries.assign(count, Entry{});
    for (Entry& e : m_entries) cursor.U8(e.id);
    for (Entry& e : m_entries) {
        uint32_t min = 0, max = 0;
        cursor.U32(min);
        cursor.U32(max);
        e.min.i = static_cast<int32_t>(min);
        e.max.i = static_cast<int32_t>(max);
    }
    return SX_Success;
}

const SxRangeBundle::Entry* SxRangeBundle::Find(uint32_t id) const {
    for (const Entry& e : m_entries)
        if (e.id == id) return &e;
    return nullptr;
}

SxRangeBundle::Entry* SxRangeBundle::Find(uint32_t id) {
    for (Entry& e : m_entries)
        if (e.id == id) return &e;
    return nullptr;
}

void SxRangeBundle::Set(uint32_t id, SxPropValue min, SxPropValue max) {
    if (Entry* e = Find(id)) {
        e->min = min;
        e->max = max;
    } else {
        m_entries.push_back(Entry{static_cast<uint8_t>(id), min, max});
    }
}

float SxRandomInRange(float min, float max) {
    if (min == max) return min;
    return min + static_cast<float>(platform::crt_rand()) / 32767.0f * (max - min);
}

}  // namespace SX
