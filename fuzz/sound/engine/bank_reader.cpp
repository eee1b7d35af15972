// Feeds arbitrary bytes to the bank reader as a whole bank, served once in place (a bank in
// memory) and once copied chunk by chunk (a bank read from a file), in each load mode, then
// frees whatever the read made.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/sound/engine/EngineFuzzSupport.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/bank/SxBankSource.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace {

// Memory that must be copied out, as a file's bytes are.
class CopiedSource final : public SX::ISxBankSource {
public:
    CopiedSource(const uint8_t* data, uint32_t size) : m_memory(data, size) {}
    SX::SXRESULT Read(void* destination, uint32_t size, uint32_t& read) override {
        return m_memory.Read(destination, size, read);
    }
    bool Skip(uint32_t size) override { return m_memory.Skip(size); }
    uint64_t Remaining() const override { return m_memory.Remaining(); }

private:
    SX::SxMemoryBankSource m_memory;
};

bool StartEngine() { return sxfuzz::StartEngine(16); }

template <typename Source>
void ReadOnce(const uint8_t* data, uint32_t size, SX::SxBankLoadMode mode) {
    Source source(data, size);
    auto* bank = SX::SxNew<SX::CSxLoadedBank>(SX::g_DefaultPoolId, 1u, SX::SxInvalidPoolId);
    if (!bank) return;
    SX::g_pBankMgr->ReadBank(source, *bank, mode);
    SX::g_pBankMgr->DiscardBank(bank);
}

// Banks bring global settings (state groups, game-parameter defaults) that stay after them:
// a fresh engine now and then keeps them from piling up.
void RestartEngine() {
    SX::SoundEngine::Term();
    SX::MemoryMgr::Term();
    StartEngine();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool started = StartEngine();
    static uint32_t runs = 0;
    if (++runs % 4096 == 0) {
        RestartEngine();
        started = SX::SoundEngine::IsInitialized();
    }
    if (!started || size > 1u << 20) return 0;
    const uint32_t length = static_cast<uint32_t>(size);
    ReadOnce<SX::SxMemoryBankSource>(data, length, SX::SxBankLoad_Load);
    ReadOnce<CopiedSource>(data, length, SX::SxBankLoad_Load);
    ReadOnce<CopiedSource>(data, length, SX::SxBankLoad_Prepare);
    ReadOnce<SX::SxMemoryBankSource>(data, length, SX::SxBankLoad_StructureOnly);
    return 0;
}
