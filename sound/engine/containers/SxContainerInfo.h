#pragma once
// What a random/sequence container remembers of its plays, per game object or once for all:
// where a sequence stands, or which children a random draw may still give.
#include <cstdint>

#include "sound/engine/SxArray.h"

namespace SX {

class CSxRegisteredObj;

class CSxContainerBaseInfo {
public:
    enum Type : uint8_t { Random = 0, Sequence = 1 };
    virtual ~CSxContainerBaseInfo() = default;
    // Destructs and returns the memory to the default pool.
    void Destroy();
    virtual Type InfoType() const = 0;

    CSxRegisteredObj* key = nullptr;       // the game object (unused by the global state)
    CSxContainerBaseInfo* next = nullptr;  // the next record of the bucket
};

class CSxSequenceInfo final : public CSxContainerBaseInfo {
public:
    static CSxSequenceInfo* Create();
    Type InfoType() const override { return Sequence; }

    uint8_t forward = 1;    // 0 while the sequence walks back
    int16_t position = -1;  // the child played last
};

class CSxRandomInfo final : public CSxContainerBaseInfo {
public:
    // For count children, each of the default weight, with room in the history for the
    // smaller of avoidRepeat and 4 entries; null when count is 0 or memory fails.
    static CSxRandomInfo* Create(uint16_t count, uint16_t avoidRepeat);
    Type InfoType() const override { return Random; }

    bool Played(uint16_t i) const { return (m_bits[i >> 3] >> (i & 7)) & 1; }
    bool Blocked(uint16_t i) const { return (m_bits[m_bytes + (i >> 3)] >> (i & 7)) & 1; }
    void SetPlayed(uint16_t i, bool on) { SetBit(i >> 3, i & 7, on); }
    void SetBlocked(uint16_t i, bool on) { SetBit(m_bytes + (i >> 3), i & 7, on); }
    void ClearPlayed();

    // Weights in 64 bits: heavy children in numbers cannot wrap the sums.
    uint64_t totalWeight = 0;
    uint64_t remainingWeight = 0;
    uint16_t remainingCount = 0;
    uint16_t leftInCycle = 0;
    SxArray<uint16_t> history{1};  // the avoid-repeat history, oldest first

private:
    void SetBit(uint32_t byte, uint32_t bit, bool on) {
        if (on)
            m_bits[byte] = static_cast<uint8_t>(m_bits[byte] | (1u << bit));
        else
            m_bits[byte] = static_cast<uint8_t>(m_bits[byte] & ~(1u << bit));
    }
    SxArray<uint8_t> m_bits{1};  // the played bits, then the blocked bits
    uint32_t m_bytes = 0;        // bytes of each bit array
};

}  // namespace SX
