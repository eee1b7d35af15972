#pragma once
// The children a random/sequence container chooses from: IDs with weights for a random
// container, IDs in order for a sequence. Items live in the default pool.
#include <cstdint>

#include "sound/engine/SxArray.h"
#include "sound/engine/SxTypes.h"

namespace SX {

class CSxPlayList {
public:
    // The weight of a child the bank gives no weight of its own.
    static constexpr uint32_t kDefaultWeight = 50000;

    virtual ~CSxPlayList() = default;
    virtual SXRESULT Init() { return SX_Success; }
    // Frees the items, then the list itself, to the default pool.
    void Destroy();
    virtual uint32_t Length() const = 0;
    virtual SxUniqueID ID(uint16_t index) const = 0;
    // 2 when the list cannot grow.
    virtual SXRESULT Add(SxUniqueID id, uint32_t weight) = 0;
    virtual SXRESULT Remove(SxUniqueID id) = 0;
    virtual void RemoveAll() = 0;
    bool Exists(SxUniqueID id) const;
    // The first item with the ID; index is left alone when there is none.
    bool IndexOf(SxUniqueID id, uint16_t& index) const;
    virtual uint32_t GetWeight(uint16_t index) const = 0;
    virtual void SetWeight(uint16_t index, uint32_t weight) = 0;
};

class CSxPlayListRandom final : public CSxPlayList {
public:
    static CSxPlayListRandom* Create();
    uint32_t Length() const override { return m_items.Length(); }
    SxUniqueID ID(uint16_t index) const override { return m_items[index].id; }
    SXRESULT Add(SxUniqueID id, uint32_t weight) override;
    // Every item with the ID goes; the others keep their order.
    SXRESULT Remove(SxUniqueID id) override;
    void RemoveAll() override { m_items.RemoveAll(); }
    uint32_t GetWeight(uint16_t index) const override { return m_items[index].weight; }
    void SetWeight(uint16_t index, uint32_t weight) override { m_items[index].weight = weight; }
    // The sum of all weights, in 64 bits so that many heavy children cannot wrap it.
    uint64_t TotalWeight() const;

private:
    struct Item {
        SxUniqueID id;
        uint32_t weight;
    };
    SxArray<Item> m_items{8};
};

class CSxPlayListSequence final : public CSxPlayList {
public:
    static CSxPlayListSequence* Create();
    uint32_t Length() const override { return m_ids.Length(); }
    SxUniqueID ID(uint16_t index) const override { return m_ids[index]; }
    // The weight is not kept: every item of a sequence weighs the default.
    SXRESULT Add(SxUniqueID id, uint32_t weight) override;
    // The first item with the ID goes; 2 when there is none.
    SXRESULT Remove(SxUniqueID id) override;
    void RemoveAll() override { m_ids.RemoveAll(); }
    uint32_t GetWeight(uint16_t) const override { return kDefaultWeight; }
    void SetWeight(uint16_t, uint32_t) override {}

private:
    SxArray<SxUniqueID> m_ids{16};
};

}  // namespace SX
