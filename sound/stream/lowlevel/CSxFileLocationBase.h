#pragma once
// Where the sound data lies: a base path, optional bank and audio-source sub-paths, and the
// stream manager's current language as a folder for language-specific files.
#include <cstdint>

#include "sound/engine/stream/SxStreamTypes.h"

namespace SX {

class CSxFileLocationBase {
public:
    // SX_InvalidParameter when the path with the longer sub-path and the current language
    // would not fit a path of 260 characters.
    SXRESULT SetBasePath(const wchar_t* path);
    SXRESULT SetBankPath(const wchar_t* path);
    SXRESULT SetAudioSrcPath(const wchar_t* path);

protected:
    // The full path of a file opened by ID ("%u.bnk" for banks, "%u.med" for media), or by
    // name; SX_Fail when it cannot be built or would not fit.
    SXRESULT GetFullFilePath(uint32_t fileID, const SxFileSystemFlags* flags, SxOpenMode openMode,
                             wchar_t (&path)[SX_MAX_PATH]);
    SXRESULT GetFullFilePath(const wchar_t* fileName, const SxFileSystemFlags* flags, SxOpenMode openMode,
                             wchar_t (&path)[SX_MAX_PATH]);

    wchar_t m_basePath[SX_MAX_PATH] = {};
    wchar_t m_bankPath[SX_MAX_PATH] = {};
    wchar_t m_audioSrcPath[SX_MAX_PATH] = {};
};

}  // namespace SX
