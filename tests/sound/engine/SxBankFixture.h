#pragma once
// A running sound engine (audio thread and bank thread) for bank tests, banks written by the
// bank writer, and their bytes held at the 16-byte boundary an in-memory load asks for.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "platform/os/Clock.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/bank/SxBankSource.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "support/TempTree.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tools/bankwriter/BankFile.h"

namespace sxtest {

class AlignedBank {
public:
    explicit AlignedBank(const bankwriter::Bytes& bytes) : m_size(static_cast<uint32_t>(bytes.size())) {
        m_data = static_cast<uint8_t*>(std::aligned_alloc(16, (bytes.size() + 16) & ~size_t(15)));
        if (!bytes.empty()) std::memcpy(m_data, bytes.data(), bytes.size());
    }
    ~AlignedBank() { std::free(m_data); }
    AlignedBank(const AlignedBank&) = delete;
    AlignedBank& operator=(const AlignedBank&) = delete;
    const uint8_t* Data() const { return m_data; }
    uint32_t Size() const { return m_size; }

private:
    uint8_t* m_data;
    uint32_t m_size;
};

// Writes a bank file into the tree and opens bank files from there.
inline void WriteBankFile(const qvtest::TempTree& tree, const std::string& name, const bankwriter::Bytes& bytes) {
    std::ofstream(tree.Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    SX::SxSetBankFolder(tree.Root());
}

// Loads from memory a bank whose event plays the target of the named bank (action event + 1);
// the bank's bytes live as long as what is returned.
inline std::unique_ptr<AlignedBank> LoadPlayEventBank(uint32_t bankID, SX::SxUniqueID event, SX::SxUniqueID target,
                                                      SX::SxBankID holder, const std::string& holderName) {
    namespace bw = bankwriter;
    bw::BankFile events;
    events.id = bankID;
    events.bankNames = {{holder, holderName}};
    events.records = {
        bw::Record(SX::SxHirc_Action, bw::ActionBody(event + 1, 0x0403, target, {}, {}, bw::PlayParams(4, holder))),
        bw::Record(SX::SxHirc_Event, bw::EventBody(event, {event + 1}))};
    auto bank = std::make_unique<AlignedBank>(bw::WriteBank(events));
    SX::SxBankID id;
    EXPECT_EQ(SX::SoundEngine::LoadBank(bank->Data(), bank->Size(), id), SX::SX_Success);
    return bank;
}

// A sound (media 300), its play action and event, under an actor mixer: IDs 10 to 13.
inline std::vector<bankwriter::Bytes> PlayableRecords(uint32_t bankID, uint32_t base = 10) {
    namespace bw = bankwriter;
    bw::Source source;
    source.mediaID = 300 + base;
    bw::NodeBase node;
    node.parentID = base + 3;
    return {
        bw::Record(SX::SxHirc_Sound, bw::SoundBody(base, source, node)),
        bw::Record(SX::SxHirc_ActorMixer, bw::ActorMixerBody(base + 3, bw::NodeBase(), {base})),
        bw::Record(SX::SxHirc_Action, bw::ActionBody(base + 1, 0x0403, base, {}, {}, bw::PlayParams(4, bankID))),
        bw::Record(SX::SxHirc_Event, bw::EventBody(base + 2, {base + 1})),
    };
}

inline bankwriter::BankFile PlayableBank(uint32_t bankID, uint32_t base = 10) {
    bankwriter::BankFile bank;
    bank.id = bankID;
    bank.media = {{300 + base, bankwriter::Bytes(100, static_cast<uint8_t>(base))}};
    bank.records = PlayableRecords(bankID, base);
    return bank;
}

class BankEngine : public ::testing::Test {
protected:
    void SetUp() override {
        platform::audio::control::Reset();
        platform::audio::control::SetOpenFails(true);
        SX::SxMemoryMgrSettings settings;
        settings.maxPools = 16;
        ASSERT_EQ(SX::MemoryMgr::Init(&settings), SX::SX_Success);
        ASSERT_EQ(SX::SoundEngine::Init(nullptr, nullptr), SX::SX_Success);
    }
    void TearDown() override {
        SX::SoundEngine::Term();
        SX::MemoryMgr::Term();
        platform::audio::control::Reset();
    }
    static uint32_t PoolUsed() {
        SX::SxPoolMemInfo info;
        SX::MemoryMgr::GetPoolMemoryUsed(SX::g_DefaultPoolId, info);
        return info.usedBytes;
    }
    static uint32_t ObjectCount() {
        uint32_t count = 0;
        for (SX::SxIndexTable table : {SX::SxIndex_Node, SX::SxIndex_State, SX::SxIndex_Event, SX::SxIndex_Action}) {
            SX::SxIDTable& objects = SX::g_pObjectIndex->Table(table);
            platform::Lock lock(objects.Lock());
            count += objects.Count();
        }
        return count;
    }
    // Frames for the audio thread until the condition holds (bounded by a count, not a time).
    template <typename Condition>
    bool RunUntil(Condition condition) {
        for (int i = 0; i < 3000; ++i) {
            if (condition()) return true;
            clock.Advance(0.03);
            SX::SoundEngine::RenderAudio();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return condition();
    }
    platform::ManualClock clock;
    platform::ScopedClock scopedClock{clock};
};

}  // namespace sxtest
