#pragma once
// Where a sound's audio comes from: a codec or plug-in, media held in a bank, a streamed
// file, or memory the caller supplied. A sound owns one; a resolved external source is a copy
// owned by one playback instance.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

class CSxSource {
public:
    // Flag bits.
    static constexpr uint32_t kFlag0 = 1u << 0;
    static constexpr uint32_t kPrefetch = 1u << 1;
    static constexpr uint32_t kKindShift = 2;
    static constexpr uint32_t kKindMask = 0x1Fu << kKindShift;
    static constexpr uint32_t kKindStreamed = 1;
    static constexpr uint32_t kKindPlugin = 2;
    static constexpr uint32_t kKindInMemory = 3;
    static constexpr uint32_t kFilled = 1u << 7;
    static constexpr uint32_t kLFE = 1u << 8;
    static constexpr uint32_t kOwnedByInstance = 1u << 9;
    static constexpr uint32_t kFlag2 = 1u << 10;
    static constexpr uint32_t kAllFlags = 0x7FFu;

    CSxSource() = default;
    virtual ~CSxSource() {
        Reset();
        FreePluginParams();
    }
    CSxSource(const CSxSource&) = delete;
    CSxSource& operator=(const CSxSource&) = delete;

    void SetSource(uint32_t pluginID, SxUniqueID mediaID, uint32_t fileID, uint32_t offset, uint32_t size,
                   uint32_t flags);
    void SetSourceInMemory(uint32_t pluginID, void* data, SxUniqueID mediaID, uint32_t fileID, uint32_t offset,
                           uint32_t size, uint32_t flags);
    // Copies the zero-terminated name; SX_InsufficientMemory when the copy cannot be had.
    SXRESULT SetSourceByName(SxUniqueID mediaID, uint32_t pluginID, const wchar_t* name, bool lfe, bool flag2,
                             bool owned);
    void SetSourceByID(SxUniqueID id);
    // A plug-in source's own parameter block from its sound's record, copied; false when the
    // copy cannot be had (the source then has none).
    bool SetPluginParams(const uint8_t* block, uint32_t size);
    const uint8_t* PluginParams() const { return m_params; }
    uint32_t PluginParamsSize() const { return m_paramsSize; }
    // A copy of every field; a name streamed by name is duplicated, never shared, so the copy
    // and this source free their own. Null when memory fails.
    CSxSource* Clone() const;

    // Own data and size when the source has them; otherwise none (the bank manager's media
    // table comes with the bank reader).
    void GetMedia(const uint8_t*& data, uint32_t& size) const;

    // Media held in banks (in-memory media, or the prefetched head of a streamed file), loaded
    // ahead of play through the bank manager (counted); any other source has nothing to load.
    SXRESULT PrepareData() const;
    void UnPrepareData() const;
    SxUniqueID MediaID() const { return m_mediaID; }
    uint32_t FileID() const { return m_fileID; }
    uint32_t Offset() const { return m_offset; }
    uint32_t Size() const { return m_size; }
    uint32_t Flags() const { return m_flags; }
    uint32_t Kind() const { return (m_flags & kKindMask) >> kKindShift; }
    uint32_t PluginID() const { return m_pluginID; }
    const void* OwnData() const { return m_ownData; }
    const wchar_t* FileName() const {
        return Kind() == kKindStreamed ? static_cast<const wchar_t*>(m_ownData) : nullptr;
    }
    bool IsExternal() const { return (m_pluginID >> 16) == 0x0008; }

private:
    bool HoldsBankMedia() const;
    void Reset();
    void FreePluginParams();

    SxUniqueID m_mediaID = 0xFFFFFFFFu;
    uint32_t m_fileID = 0xFFFFFFFFu;
    uint32_t m_offset = 0;
    uint32_t m_size = 0;
    uint32_t m_flags = 0;
    void* m_ownData = nullptr;
    uint32_t m_pluginID = 0xFFFFFFFFu;
    uint8_t* m_params = nullptr;
    uint32_t m_paramsSize = 0;
};

}  // namespace SX
