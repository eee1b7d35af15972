#include "sound/system/SxBankHooks.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/bank/ISxMediaProvider.h"
#include "sound/engine/stream/ISxStreams.h"
#include "sound/engine/stream/SxStreamTypes.h"

namespace SD {
namespace {

// The media of the loaded banks. Each media handed out holds its bank, which is the holder
// given back with it.
class BankMediaProvider final : public SX::ISxMediaProvider {
public:
    bool GetMedia(SX::SxUniqueID mediaID, SX::SxHeldMedia& media) override {
        SX::SxMediaRef ref;
        if (!SX::g_pBankMgr || !SX::g_pBankMgr->GetMedia(mediaID, ref)) return false;
        // An empty media item is no media: whoever asked keeps nothing to give back, so the
        // bank is not held for it.
        if (!ref.data || ref.size == 0) {
            SX::g_pBankMgr->ReleaseMedia(mediaID, ref);
            return false;
        }
        media.data = ref.data;
        media.size = ref.size;
        media.holder = ref.bank;
        return true;
    }
    void ReleaseMedia(SX::SxUniqueID mediaID, const SX::SxHeldMedia& media) override {
        SX::SxMediaRef ref;
        ref.data = media.data;
        ref.size = media.size;
        ref.bank = static_cast<SX::CSxLoadedBank*>(media.holder);
        if (SX::g_pBankMgr) SX::g_pBankMgr->ReleaseMedia(mediaID, ref);
    }
};

BankMediaProvider g_bankMedia;

// A bank read through a standard stream: a buffer of whole blocks refilled as the reader goes,
// and reads that span whole blocks go straight to the caller. The stream refuses any request
// that is not a whole number of its blocks.
class StreamBankSource final : public SX::ISxBankSource {
public:
    StreamBankSource(SX::ISxStdStream* stream, uint32_t blockSize, uint64_t size)
        : m_stream(stream),
          m_blockSize(blockSize),
          m_left(size),
          m_buffer(WholeBlocks(std::max(kBufferSize, blockSize))) {}
    ~StreamBankSource() override { m_stream->Destroy(); }

    SX::SXRESULT Read(void* destination, uint32_t size, uint32_t& read) override {
        read = 0;
        auto* out = static_cast<uint8_t*>(destination);
        while (read < size && m_left > 0) {
            if (m_unread == 0) {
                const uint32_t wanted = size - read;
                const uint32_t direct = WholeBlocks(wanted);
                if (wanted >= m_buffer.size() && direct > 0) {
                    uint32_t got = 0;
                    const SX::SXRESULT result = StreamRead(out + read, direct, got);
                    read += got;
                    m_left -= std::min<uint64_t>(got, m_left);
                    if (result != SX::SX_Success) return result;
                    if (got == 0) break;
                    continue;
                }
                const SX::SXRESULT result = Refill();
                if (result != SX::SX_Success) return result;
                if (m_unread == 0) break;
            }
            const uint32_t take = std::min(m_unread, size - read);
            std::memcpy(out + read, m_buffer.data() + m_cursor, take);
            Consume(take);
            read += take;
        }
        return SX::SX_Success;
    }

    bool Skip(uint32_t size) override {
        if (size > m_left) return false;
        const uint32_t fromBuffer = std::min(m_unread, size);
        Consume(fromBuffer);
        size -= fromBuffer;
        // What lies beyond the buffer: whole blocks sought over, the rest read and dropped.
        const uint32_t blocks = WholeBlocks(size);
        if (blocks > 0) {
            int64_t moved = 0;
            if (m_stream->Seek(blocks, SX::SX_MoveCurrent, &moved) != SX::SX_Success || moved != blocks) return false;
            m_left -= blocks;
            size -= blocks;
        }
        if (size == 0) return true;
        if (Refill() != SX::SX_Success || m_unread < size) return false;
        Consume(size);
        return true;
    }

    uint64_t Remaining() const override { return m_left; }

private:
    static constexpr uint32_t kBufferSize = 32768;
    static constexpr uint8_t kPriority = 50;
    static constexpr float kBytesPerMs = 1048.576f;

    uint32_t WholeBlocks(uint32_t size) const { return size - size % m_blockSize; }

    SX::SXRESULT StreamRead(void* destination, uint32_t size, uint32_t& got) {
        return m_stream->Read(destination, size, true, kPriority, size / kBytesPerMs, got);
    }

    SX::SXRESULT Refill() {
        m_cursor = 0;
        m_unread = 0;
        uint32_t got = 0;
        const SX::SXRESULT result = StreamRead(m_buffer.data(), static_cast<uint32_t>(m_buffer.size()), got);
        if (result == SX::SX_Success) m_unread = static_cast<uint32_t>(std::min<uint64_t>(got, m_left));
        return result;
    }

    void Consume(uint32_t size) {
        m_cursor += size;
        m_unread -= size;
        m_left -= size;
    }

    SX::ISxStdStream* m_stream;
    uint32_t m_blockSize;
    uint64_t m_left;
    std::vector<uint8_t> m_buffer;
    uint32_t m_cursor = 0;
    uint32_t m_unread = 0;
};

SX::ISxStdStream* OpenBankStream(SX::ISxStreamMgr& manager, const char* name, SX::SxBankID bankID) {
    SX::SxFileSystemFlags flags;
    flags.companyID = SX::SXCOMPANYID_INTERNAL;
    flags.codecID = SX::SXCODECID_BANK;
    SX::ISxStdStream* stream = nullptr;
    if (name && *name) {
        const std::string file(name);
        const std::wstring wide(file.begin(), file.end());
        if (manager.CreateStd(wide.c_str(), &flags, SX::SX_OpenModeRead, stream, true) != SX::SX_Success)
            return nullptr;
        return stream;
    }
    // By ID: the bank of the current language first, then the one shared by every language.
    flags.isLanguageSpecific = true;
    if (manager.CreateStd(bankID, &flags, SX::SX_OpenModeRead, stream, true) == SX::SX_Success && stream) return stream;
    flags.isLanguageSpecific = false;
    stream = nullptr;
    if (manager.CreateStd(bankID, &flags, SX::SX_OpenModeRead, stream, true) != SX::SX_Success) return nullptr;
    return stream;
}

}  // namespace

std::unique_ptr<SX::ISxBankSource> OpenBankThroughStreams(const char* name, SX::SxBankID bankID) {
    SX::ISxStreamMgr* manager = SX::ISxStreamMgr::m_pStreamMgr;
    if (!manager) return nullptr;
    SX::ISxStdStream* stream = OpenBankStream(*manager, name, bankID);
    if (!stream) return nullptr;
    SX::SxStreamInfo info;
    stream->QueryInfo(info);
    const uint32_t blockSize = stream->GetBlockSize();
    if (blockSize == 0 || info.size < 0) {
        stream->Destroy();
        return nullptr;
    }
    return std::make_unique<StreamBankSource>(stream, blockSize, static_cast<uint64_t>(info.size));
}

namespace {
class StreamBankOpener final : public SX::ISxBankOpener {
public:
    std::unique_ptr<SX::ISxBankSource> OpenBank(const char* name, SX::SxBankID bankID) override {
        return OpenBankThroughStreams(name, bankID);
    }
};
StreamBankOpener g_streamBankOpener;
}  // namespace

void InstallBankHooks() {
    SX::SxSetMediaProvider(&g_bankMedia);
    SX::SxSetBankOpener(&g_streamBankOpener);
}

void RemoveBankHooks() {
    SX::SxRemoveMediaProvider(&g_bankMedia);
    SX::SxRemoveBankOpener(&g_streamBankOpener);
}

}  // namespace SD
