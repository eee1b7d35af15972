#include "sound/system/SxBankHooks.h"

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/voice/CSxSrcBaseEx.h"
#include "sound/engine/stream/ISxStreams.h"
#include "sound/engine/stream/SxStreamTypes.h"

namespace SD {
namespace {

// The bank whose media a source holds, by the bytes handed out: released with the media.
std::mutex g_heldLock;
std::unordered_multimap<const uint8_t*, SX::CSxLoadedBank*> g_held;

bool FindBankMedia(SX::SxUniqueID mediaID, const uint8_t*& data, uint32_t& size) {
    if (!SX::g_pBankMgr) return false;
    SX::SxMediaRef ref;
    if (!SX::g_pBankMgr->GetMedia(mediaID, ref)) return false;
    data = ref.data;
    size = ref.size;
    std::lock_guard<std::mutex> lock(g_heldLock);
    g_held.emplace(ref.data, ref.bank);
    return true;
}

void ReleaseBankMedia(SX::SxUniqueID mediaID, const uint8_t* data) {
    SX::SxMediaRef ref;
    ref.data = data;
    {
        std::lock_guard<std::mutex> lock(g_heldLock);
        auto found = g_held.find(data);
        if (found == g_held.end()) return;
        ref.bank = found->second;
        g_held.erase(found);
    }
    if (SX::g_pBankMgr) SX::g_pBankMgr->ReleaseMedia(mediaID, ref);
}

// A bank read whole into memory.
class OwnedBankSource final : public SX::ISxBankSource {
public:
    explicit OwnedBankSource(std::vector<uint8_t> bytes)
        : m_bytes(std::move(bytes)), m_reader(m_bytes.data(), static_cast<uint32_t>(m_bytes.size())) {}
    SX::SXRESULT Read(void* destination, uint32_t size, uint32_t& read) override {
        return m_reader.Read(destination, size, read);
    }
    bool Skip(uint32_t size) override { return m_reader.Skip(size); }
    uint64_t Remaining() const override { return m_reader.Remaining(); }

private:
    std::vector<uint8_t> m_bytes;
    SX::SxMemoryBankSource m_reader;
};

// Larger banks are refused before anything is allocated for them.
constexpr int64_t kLargestBank = int64_t(1) << 30;

}  // namespace

std::unique_ptr<SX::ISxBankSource> OpenBankThroughStreams(const char* name, SX::SxBankID bankID) {
    SX::ISxStreamMgr* manager = SX::ISxStreamMgr::m_pStreamMgr;
    if (!manager) return nullptr;
    SX::SxFileSystemFlags flags;
    flags.companyID = SX::SXCOMPANYID_INTERNAL;
    flags.codecID = SX::SXCODECID_BANK;
    const std::string file = name && *name ? std::string(name) : std::to_string(bankID) + ".bnk";
    const std::wstring wide(file.begin(), file.end());
    SX::ISxStdStream* stream = nullptr;
    if (manager->CreateStd(wide.c_str(), &flags, SX::SX_OpenModeRead, stream, true) != SX::SX_Success || !stream)
        return nullptr;
    SX::SxStreamInfo info;
    stream->QueryInfo(info);
    std::vector<uint8_t> bytes;
    bool ok = info.size > 0 && info.size <= kLargestBank;
    if (ok) {
        bytes.resize(static_cast<size_t>(info.size));
        uint32_t got = 0;
        ok = stream->Read(bytes.data(), static_cast<uint32_t>(bytes.size()), true, 50, 0.0f, got) == SX::SX_Success &&
             got == bytes.size();
    }
    stream->Destroy();
    if (!ok) return nullptr;
    return std::make_unique<OwnedBankSource>(std::move(bytes));
}

void InstallBankHooks() {
    SX::g_MediaLookupHooks.findMedia = FindBankMedia;
    SX::g_MediaLookupHooks.releaseMedia = ReleaseBankMedia;
    SX::SxSetBankOpener(OpenBankThroughStreams);
}

void RemoveBankHooks() {
    SX::g_MediaLookupHooks.findMedia = nullptr;
    SX::g_MediaLookupHooks.releaseMedia = nullptr;
    SX::SxSetBankOpener(nullptr);
}

}  // namespace SD
