#include "sound/stream/lowlevel/CSxFileLocationBase.h"

#include <algorithm>
#include <cwchar>

#include "sound/stream/manager/SxStreamMgr.h"

namespace SX {

namespace {

// Appends text when the result stays below the limit.
bool Append(wchar_t (&path)[SX_MAX_PATH], const wchar_t* text) {
    const size_t have = std::wcslen(path), add = std::wcslen(text);
    if (have + add >= SX_MAX_PATH) return false;
    std::wmemcpy(path + have, text, add + 1);
    return true;
}

bool AppendLanguage(wchar_t (&path)[SX_MAX_PATH]) {
    wchar_t language[SX_MAX_LANGUAGE_NAME];
    StreamMgr::CopyCurrentLanguage(language);
    if (!language[0]) return true;
    return Append(path, language) && Append(path, L"\\");
}

SXRESULT SetPath(wchar_t (&target)[SX_MAX_PATH], const wchar_t* path, const wchar_t* base, const wchar_t* bank,
                 const wchar_t* audioSrc) {
    if (!path) return SX_InvalidParameter;
    wchar_t language[SX_MAX_LANGUAGE_NAME];
    StreamMgr::CopyCurrentLanguage(language);
    const size_t total =
        std::wcslen(base) + std::max(std::wcslen(bank), std::wcslen(audioSrc)) + std::wcslen(language) + 1;
    if (total >= SX_MAX_PATH) return SX_InvalidParameter;
    std::wcsncpy(target, path, SX_MAX_PATH - 1);
    target[SX_MAX_PATH - 1] = 0;
    return SX_Success;
}

}  // namespace

SXRESULT CSxFileLocationBase::SetBasePath(const wchar_t* path) {
    return SetPath(m_basePath, path, path ? path : L"", m_bankPath, m_audioSrcPath);
}

SXRESULT CSxFileLocationBase::SetBankPath(const wchar_t* path) {
    return SetPath(m_bankPath, path, m_basePath, path ? path : L"", m_audioSrcPath);
}

SXRESULT CSxFileLocationBase::SetAudioSrcPath(const wchar_t* path) {
    return SetPath(m_audioSrcPath, path, m_basePath, m_bankPath, path ? path : L"");
}

SXRESULT CSxFileLocationBase::GetFullFilePath(uint32_t fileID, const SxFileSystemFlags* flags, SxOpenMode,
                                              wchar_t (&path)[SX_MAX_PATH]) {
    if (!flags || flags->companyID > SXCOMPANYID_EXTERNAL) return SX_Fail;
    path[0] = 0;
    if (!Append(path, m_basePath)) return SX_Fail;
    if (!Append(path, flags->codecID != SXCODECID_BANK ? m_audioSrcPath : m_bankPath)) return SX_Fail;
    if (flags->isLanguageSpecific && !AppendLanguage(path)) return SX_Fail;
    if (std::wcslen(path) + 15 > SX_MAX_PATH) return SX_Fail;
    wchar_t name[16];
    std::swprintf(name, 16, flags->codecID != SXCODECID_BANK ? L"%u.med" : L"%u.bnk", fileID);
    return Append(path, name) ? SX_Success : SX_Fail;
}

SXRESULT CSxFileLocationBase::GetFullFilePath(const wchar_t* fileName, const SxFileSystemFlags* flags,
                                              SxOpenMode openMode, wchar_t (&path)[SX_MAX_PATH]) {
    if (!fileName || std::wcslen(fileName) >= SX_MAX_PATH) return SX_Fail;
    path[0] = 0;
    const bool rawName = flags && flags->companyID == SXCOMPANYID_INTERNAL && flags->codecID == SXCODECID_RAW_NAME;
    if (!rawName) {
        if (!Append(path, m_basePath)) return SX_Fail;
        if (flags && openMode == SX_OpenModeRead) {
            if (flags->companyID == SXCOMPANYID_INTERNAL && flags->codecID == SXCODECID_BANK &&
                !Append(path, m_bankPath))
                return SX_Fail;
            if (flags->isLanguageSpecific && !AppendLanguage(path)) return SX_Fail;
        }
    }
    return Append(path, fileName) ? SX_Success : SX_Fail;
}

}  // namespace SX
