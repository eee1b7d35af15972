#include "sound/engine/upper/CSxSource.h"

#include <cstring>

#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

namespace {
size_t NameBytes(const wchar_t* name) {
    size_t n = 0;
    while (name[n]) ++n;
    return (n + 1) * sizeof(wchar_t);
}
}  // namespace

void CSxSource::Reset() {
    if (Kind() == kKindStreamed && m_ownData) MemoryMgr::Free(g_DefaultPoolId, m_ownData);
    m_mediaID = 0;
    m_fileID = 0xFFFFFFFFu;
    m_offset = 0;
    m_size = 0;
    m_flags &= ~kAllFlags;
    m_ownData = nullptr;
}

void CSxSource::SetSource(uint32_t pluginID, SxUniqueID mediaID, uint32_t fileID, uint32_t offset, uint32_t size,
                          uint32_t flags) {
    Reset();
    m_pluginID = pluginID;
    m_mediaID = mediaID;
    m_fileID = fileID;
    m_offset = offset;
    m_size = size;
    m_flags = (flags & kAllFlags) | kFilled;
}

void CSxSource::SetSourceInMemory(uint32_t pluginID, void* data, SxUniqueID mediaID, uint32_t fileID, uint32_t offset,
                                  uint32_t size, uint32_t flags) {
    SetSource(pluginID, mediaID, fileID, offset, size, flags);
    m_ownData = data;
}

SXRESULT CSxSource::SetSourceByName(SxUniqueID mediaID, uint32_t pluginID, const wchar_t* name, bool lfe, bool flag2,
                                    bool owned) {
    Reset();
    m_mediaID = mediaID;
    m_pluginID = pluginID;
    if (!name) return SX_InvalidParameter;
    const size_t bytes = NameBytes(name);
    void* copy = MemoryMgr::Malloc(g_DefaultPoolId, bytes);
    if (!copy) return SX_InsufficientMemory;
    std::memcpy(copy, name, bytes);
    m_ownData = copy;
    m_flags = (kKindStreamed << kKindShift) | kFilled | (lfe ? kLFE : 0) | (flag2 ? kFlag2 : 0) |
              (owned ? kOwnedByInstance : 0);
    return SX_Success;
}

void CSxSource::FreePluginParams() {
    if (m_params) MemoryMgr::Free(g_DefaultPoolId, m_params);
    m_params = nullptr;
    m_paramsSize = 0;
}

bool CSxSource::SetPluginParams(const uint8_t* block, uint32_t size) {
    FreePluginParams();
    if (!block || size == 0) return true;
    m_params = static_cast<uint8_t*>(MemoryMgr::Malloc(g_DefaultPoolId, size));
    if (!m_params) return false;
    std::memcpy(m_params, block, size);
    m_paramsSize = size;
    return true;
}

void CSxSource::SetSourceByID(SxUniqueID id) {
    Reset();
    FreePluginParams();
    m_mediaID = id;
    m_pluginID = 0xFFFFFFFFu;
    m_flags = (kKindPlugin << kKindShift) | kLFE | kFilled;
}

CSxSource* CSxSource::Clone() const {
    CSxSource* copy = SxNew<CSxSource>(g_DefaultPoolId);
    if (!copy) return nullptr;
    copy->m_mediaID = m_mediaID;
    copy->m_fileID = m_fileID;
    copy->m_offset = m_offset;
    copy->m_size = m_size;
    copy->m_pluginID = m_pluginID;
    if (const wchar_t* name = FileName()) {
        const size_t bytes = NameBytes(name);
        void* nameCopy = MemoryMgr::Malloc(g_DefaultPoolId, bytes);
        if (!nameCopy) {
            SxDelete(g_DefaultPoolId, copy);
            return nullptr;
        }
        std::memcpy(nameCopy, name, bytes);
        copy->m_ownData = nameCopy;
    } else {
        copy->m_ownData = m_ownData;
    }
    copy->m_flags = m_flags;
    if (!copy->SetPluginParams(m_params, m_paramsSize)) {
        SxDelete(g_DefaultPoolId, copy);
        return nullptr;
    }
    return copy;
}

bool CSxSource::HoldsBankMedia() const {
    if (Kind() == kKindInMemory) return !m_ownData;
    return Kind() == kKindStreamed && (m_flags & kPrefetch);
}

SXRESULT CSxSource::PrepareData() const {
    if (!HoldsBankMedia() || !g_pBankMgr) return SX_Success;
    return g_pBankMgr->PrepareMedia(m_mediaID);
}

void CSxSource::UnPrepareData() const {
    if (HoldsBankMedia() && g_pBankMgr) g_pBankMgr->UnprepareMedia(m_mediaID);
}

void CSxSource::GetMedia(const uint8_t*& data, uint32_t& size) const {
    if (m_ownData && Kind() != kKindStreamed) {
        data = static_cast<const uint8_t*>(m_ownData);
        size = m_size;
    } else {
        data = nullptr;
        size = 0;
    }
}

}  // namespace SX
