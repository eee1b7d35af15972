// The bank file: chunks of {u32 tag, u32 body size, body}, "BKHD" first. Every count and size
// read from a bank is checked against the bytes there are before anything is made for it, and
// a chunk's settings are read whole before any of them is applied.
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "core/Logger.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/bank/SxBankSource.h"
#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/environments/CSxEnvironmentsMgr.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/hierarchy/SxReadCursor.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"

namespace SX {

namespace {

constexpr uint32_t Tag(const char (&name)[5]) {
    return uint32_t(uint8_t(name[0])) | uint32_t(uint8_t(name[1])) << 8 | uint32_t(uint8_t(name[2])) << 16 |
           uint32_t(uint8_t(name[3])) << 24;
}
constexpr uint32_t kBKHD = Tag("BKHD"), kSTMG = Tag("STMG"), kDATA = Tag("DATA"), kHIRC = Tag("HIRC"),
                   kSTID = Tag("STID"), kENVS = Tag("ENVS"), kDIDX = Tag("DIDX");
constexpr uint32_t kPointSize = 12;
constexpr uint32_t kBankSettingsLevel = 2;

uint32_t U32At(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// A chunk body: where it lies in a bank held in memory, else read into the default pool.
class ChunkBody {
public:
    ~ChunkBody() { MemoryMgr::Free(g_DefaultPoolId, m_owned); }
    SXRESULT Fetch(ISxBankSource& source, uint32_t size) {
        m_size = size;
        if (size == 0) return SX_Success;
        m_data = source.InPlace(size);
        if (m_data) return SX_Success;
        m_owned = static_cast<uint8_t*>(MemoryMgr::Malloc(g_DefaultPoolId, size));
        if (!m_owned) return SX_InsufficientMemory;
        uint32_t read = 0;
        if (source.Read(m_owned, size, read) != SX_Success || read != size) return SX_InvalidFile;
        m_data = m_owned;
        return SX_Success;
    }
    const uint8_t* Data() const { return m_data; }
    uint32_t Size() const { return m_size; }

private:
    const uint8_t* m_data = nullptr;
    uint8_t* m_owned = nullptr;
    uint32_t m_size = 0;
};

bool ReadCurve(SxReadCursor& cursor, uint32_t count, std::vector<SxCurvePoint>& points) {
    if (!cursor.HasRoomFor(count, kPointSize)) return false;
    points.resize(count);
    for (SxCurvePoint& point : points)
        if (!cursor.F32(point.x) || !cursor.F32(point.y) || !cursor.U32(point.shape)) return false;
    return true;
}

struct GlobalSettings {
    float volumeThreshold = 0;
    uint16_t maxVoices = 0;
    struct Transition {
        uint32_t from, to, ms;
    };
    struct StateGroup {
        uint32_t id, defaultMs;
        std::vector<Transition> transitions;
    };
    struct SwitchGroup {
        uint32_t id, parameter;
        std::vector<SxSwitchPoint> points;
    };
    std::vector<StateGroup> stateGroups;
    std::vector<SwitchGroup> switchGroups;
    std::vector<std::pair<uint32_t, float>> defaults;
};

bool ParseGlobalSettings(const uint8_t* body, uint32_t size, GlobalSettings& out) {
    SxReadCursor cursor(body, size);
    uint32_t count;
    if (!cursor.F32(out.volumeThreshold) || !cursor.U16(out.maxVoices) || !cursor.U32(count) ||
        !cursor.HasRoomFor(count, 12))
        return false;
    out.stateGroups.resize(count);
    for (auto& group : out.stateGroups) {
        uint32_t transitions;
        if (!cursor.U32(group.id) || !cursor.U32(group.defaultMs) || !cursor.U32(transitions) ||
            !cursor.HasRoomFor(transitions, 12))
            return false;
        group.transitions.resize(transitions);
        for (auto& t : group.transitions)
            if (!cursor.U32(t.from) || !cursor.U32(t.to) || !cursor.U32(t.ms)) return false;
    }
    if (!cursor.U32(count) || !cursor.HasRoomFor(count, 12)) return false;
    out.switchGroups.resize(count);
    for (auto& group : out.switchGroups) {
        uint32_t points;
        if (!cursor.U32(group.id) || !cursor.U32(group.parameter) || !cursor.U32(points) ||
            !cursor.HasRoomFor(points, kPointSize))
            return false;
        group.points.resize(points);
        for (auto& point : group.points)
            if (!cursor.F32(point.x) || !cursor.U32(point.switchID) || !cursor.U32(point.shape)) return false;
    }
    if (!cursor.U32(count) || !cursor.HasRoomFor(count, 8)) return false;
    out.defaults.resize(count);
    for (auto& value : out.defaults)
        if (!cursor.U32(value.first) || !cursor.F32(value.second)) return false;
    return true;
}

SXRESULT ReadGlobalSettings(const uint8_t* body, uint32_t size) {
    GlobalSettings settings;
    if (!ParseGlobalSettings(body, size, settings)) {
        SD_WARNING(Debug::kLogSevere, "bank settings chunk of %u bytes is cut short or counts past its end", size);
        return SX_InvalidFile;
    }
    // Refused values (a threshold out of range, no voices, a setting the game owns) are
    // the settings' own business: the bank reads on.
    SoundEngine::SetVolumeThresholdInternal(settings.volumeThreshold, kBankSettingsLevel);
    SoundEngine::SetMaxNumVoicesLimitInternal(settings.maxVoices, kBankSettingsLevel);
    // The audio frame reads these settings under the global lock.
    platform::Lock lock(g_csMain);
    if (g_pStateMgr) {
        for (const auto& group : settings.stateGroups) {
            g_pStateMgr->AddStateGroup(group.id);
            g_pStateMgr->SetStateGroupDefaultTime(group.id, group.defaultMs);
            for (const auto& t : group.transitions)
                g_pStateMgr->AddStateTransition(group.id, t.from, t.to, t.ms, false);
        }
    }
    if (g_pRTPCMgr) {
        for (const auto& group : settings.switchGroups)
            g_pRTPCMgr->AddSwitchRTPC(group.id, group.parameter, group.points.data(),
                                      static_cast<uint32_t>(group.points.size()));
        for (const auto& value : settings.defaults) g_pRTPCMgr->SetDefaultValue(value.first, value.second);
    }
    return SX_Success;
}

SXRESULT ReadEnvSettings(const uint8_t* body, uint32_t size) {
    struct Curve {
        bool enabled;
        uint8_t scaling;
        std::vector<SxCurvePoint> points;
    } curves[CSxEnvironmentsMgr::kCurves];
    SxReadCursor cursor(body, size);
    for (Curve& curve : curves) {
        uint8_t enabled;
        uint16_t count;
        if (!cursor.U8(enabled) || !cursor.U8(curve.scaling) || !cursor.U16(count) ||
            !ReadCurve(cursor, count, curve.points)) {
            SD_WARNING(Debug::kLogSevere, "environment chunk of %u bytes is cut short", size);
            return SX_InvalidFile;
        }
        curve.enabled = enabled != 0;
    }
    platform::Lock lock(g_csMain);
    if (!g_pEnvironmentsMgr) return SX_Success;
    for (uint32_t i = 0; i < CSxEnvironmentsMgr::kCurves; ++i) {
        const auto kind = static_cast<SxObsOccCurveKind>(i / 2);
        const auto target = static_cast<SxObsOccCurveTarget>(i % 2);
        g_pEnvironmentsMgr->SetObsOccCurve(kind, target, curves[i].scaling, curves[i].points.data(),
                                           static_cast<uint32_t>(curves[i].points.size()));
        g_pEnvironmentsMgr->SetCurveEnabled(kind, target, curves[i].enabled);
    }
    return SX_Success;
}

}  // namespace

SXRESULT CSxBankMgr::ReadMediaIndex(const uint8_t* body, uint32_t size, CSxLoadedBank& bank) {
    if (bank.m_hasMediaIndex) return SX_Success;  // kept from an earlier preparation
    const uint32_t count = size / 12;
    bank.m_mediaIndex.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* entry = body + i * 12;
        bank.m_mediaIndex[i] = {U32At(entry), U32At(entry + 4), U32At(entry + 8)};
    }
    bank.m_hasMediaIndex = true;
    return SX_Success;
}

SXRESULT CSxBankMgr::ReadData(ISxBankSource& source, uint32_t size, CSxLoadedBank& bank) {
    FreeBankData(bank);
    if (size == 0) return SX_Success;
    if (const uint8_t* inPlace = source.InPlace(size)) {
        bank.m_data = inPlace;
        bank.m_dataSize = size;
        bank.m_dataInPlace = true;
        return SX_Success;
    }
    uint8_t* data;
    if (bank.m_pool == SxInvalidPoolId) {
        // A pool of exactly one block of the chunk's size, destroyed with the bank.
        const SxMemPoolId pool = MemoryMgr::CreatePool(nullptr, size, size, SxMemPool_Heap | SxMemPool_FixedBlocks, 16);
        if (pool == SxInvalidPoolId) return SX_Fail;
        data = static_cast<uint8_t*>(MemoryMgr::GetBlock(pool));
        if (!data) {
            MemoryMgr::DestroyPool(pool);
            return SX_Fail;
        }
        bank.m_pool = pool;
        bank.m_ownPool = true;
    } else {
        data = static_cast<uint8_t*>(MemoryMgr::Malloc(bank.m_pool, size));
        if (!data) return SX_Fail;
    }
    bank.m_data = data;
    bank.m_dataSize = size;
    uint32_t read = 0;
    if (source.Read(data, size, read) != SX_Success || read != size) return SX_InvalidFile;
    return SX_Success;
}

SXRESULT CSxBankMgr::ReadStringTable(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    std::vector<std::pair<SxBankID, std::string>> names;
    while (cursor.Left() > 0) {
        uint32_t type, count;
        if (!cursor.U32(type) || !cursor.U32(count) || !cursor.HasRoomFor(count, 5)) return SX_InvalidFile;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t id;
            uint8_t length;
            if (!cursor.U32(id) || !cursor.U8(length) || length > cursor.Left()) return SX_InvalidFile;
            names.emplace_back(id, std::string(reinterpret_cast<const char*>(cursor.Data()), length) + ".bnk");
            cursor.Skip(length);
        }
    }
    platform::Lock lock(m_bankLock);
    for (auto& name : names) m_bankNames.emplace(name.first, std::move(name.second));
    return SX_Success;
}

SXRESULT CSxBankMgr::ReadBank(ISxBankSource& source, CSxLoadedBank& bank, SxBankLoadMode mode) {
    // A reader's allocation that fails refuses the bank; it never ends the bank thread.
    try {
        return ReadBankChunks(source, bank, mode);
    } catch (const std::bad_alloc&) {
        SD_WARNING(Debug::kLogSevere, "%s: out of memory while it was read", BankLabel(bank.ID()).c_str());
        return SX_InsufficientMemory;
    }
}

SXRESULT CSxBankMgr::ReadBankChunks(ISxBankSource& source, CSxLoadedBank& bank, SxBankLoadMode mode) {
    uint8_t header[8];
    uint8_t bkhd[16];
    uint32_t read = 0;
    if (source.Read(header, 8, read) != SX_Success || read != 8 || U32At(header) != kBKHD) {
        SD_WARNING(Debug::kLogSevere, "%s does not start with its header chunk", BankLabel(bank.ID()).c_str());
        return SX_InvalidFile;
    }
    const uint32_t headerSize = U32At(header + 4);
    if (headerSize < sizeof bkhd || headerSize > source.Remaining() ||
        source.Read(bkhd, sizeof bkhd, read) != SX_Success || read != sizeof bkhd ||
        !source.Skip(headerSize - sizeof bkhd)) {
        SD_WARNING(Debug::kLogSevere, "%s: header chunk of %u bytes is cut short", BankLabel(bank.ID()).c_str(),
                   headerSize);
        return SX_PartialRead;
    }
    // Kept whatever the version: the node records of this bank are read by it.
    SxSetNodesCarryFeedbackBus(U32At(bkhd + 12) != 0);
    if (U32At(bkhd) != kFormatVersion) {
        SD_WARNING(Debug::kLogSevere, "%s has format version %u; %u is read", BankLabel(bank.ID()).c_str(), U32At(bkhd),
                   kFormatVersion);
        return SX_WrongBankVersion;
    }
    SXRESULT result = SX_Success;
    for (uint64_t offset = 8 + uint64_t(headerSize); result == SX_Success;) {
        if (source.Read(header, 8, read) != SX_Success) return SX_InvalidFile;
        if (read == 0) break;
        const uint32_t tag = U32At(header), size = U32At(header + 4);
        // A copied hierarchy record that cannot be read whole is a failed copy.
        const SXRESULT cut = tag == kHIRC && !source.InMemory() ? SX_Fail : SX_InvalidFile;
        if (read < 8 || size > source.Remaining()) {
            SD_WARNING(Debug::kLogSevere, "%s: chunk at offset %llu is cut short", BankLabel(bank.ID()).c_str(),
                       (unsigned long long)offset);
            return read < 8 ? SX_InvalidFile : cut;
        }
        const bool structure = mode != SxBankLoad_MediaOnly;
        const bool media = mode != SxBankLoad_StructureOnly;
        // The media index comes with the structure too: a preparation by game sync finds there
        // the bank to read a node's media from.
        const bool wanted = tag == kDIDX                                                   ? true
                            : tag == kDATA                                                 ? media
                            : tag == kHIRC || tag == kSTMG || tag == kENVS || tag == kSTID ? structure
                                                                                           : false;
        if (!wanted) {
            if (!source.Skip(size)) return SX_InvalidFile;
        } else if (tag == kDATA) {
            result = ReadData(source, size, bank);
        } else if (tag == kENVS && size == 0) {
            SD_WARNING(Debug::kLogSevere, "%s: empty environment chunk", BankLabel(bank.ID()).c_str());
            result = SX_Fail;
        } else {
            ChunkBody body;
            result = body.Fetch(source, size);
            if (result != SX_Success) break;
            if (tag == kDIDX) result = ReadMediaIndex(body.Data(), size, bank);
            if (tag == kSTMG) result = ReadGlobalSettings(body.Data(), size);
            if (tag == kENVS) result = ReadEnvSettings(body.Data(), size);
            if (tag == kSTID) result = ReadStringTable(body.Data(), size);
            if (tag == kHIRC) result = SxReadHircChunk(body.Data(), size, bank.m_objects, bank.ID(), cut);
        }
        if (result != SX_Success)
            SD_WARNING(Debug::kLogSevere, "%s: chunk at offset %llu failed with %d", BankLabel(bank.ID()).c_str(),
                       (unsigned long long)offset, result);
        offset += 8 + uint64_t(size);
    }
    if (result != SX_Success || mode == SxBankLoad_StructureOnly) return result;
    if (mode == SxBankLoad_Load) return IndexMedia(bank);
    result = CopyMedia(bank);
    FreeBankData(bank);
    return result;
}

}  // namespace SX
