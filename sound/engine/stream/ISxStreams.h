#pragma once
// The stream interfaces clients hold: standard streams read and write on request, automatic
// streams read ahead into IO memory and hand their buffers out in file order.
#include <cstdint>

#include "sound/engine/stream/SxStreamTypes.h"

namespace SX {

class ISxStdStream {
public:
    virtual ~ISxStdStream() = default;
    // The stream must not be used afterwards; a transfer in flight is waited for.
    virtual void Destroy() = 0;
    virtual void QueryInfo(SxStreamInfo& info) = 0;
    virtual const SxFileDesc* GetFileDescriptor() = 0;
    virtual SXRESULT SetName(const wchar_t* name) = 0;
    virtual uint32_t GetBlockSize() = 0;
    virtual SXRESULT Read(void* buffer, uint32_t size, bool wait, uint8_t priority, float deadlineMs,
                          uint32_t& outSize) = 0;
    virtual SXRESULT Write(void* buffer, uint32_t size, bool wait, uint8_t priority, float deadlineMs,
                           uint32_t& outSize) = 0;
    virtual uint64_t Tell(bool* endOfFile = nullptr) = 0;
    virtual SXRESULT Seek(int64_t offset, SxMoveMethod method, int64_t* realOffset = nullptr) = 0;
    virtual void Cancel() = 0;
    virtual void* Data(uint32_t& size) = 0;
    virtual SxStmStatus Status() = 0;
};

class ISxAutoStream {
public:
    virtual ~ISxAutoStream() = default;
    // Every buffer the client holds is given back with the stream.
    virtual void Destroy() = 0;
    virtual void QueryInfo(SxStreamInfo& info) = 0;
    virtual const SxFileDesc* GetFileDescriptor() = 0;
    virtual void Heuristics(SxAutoStmHeuristics& heuristics) = 0;
    virtual SXRESULT ChangeHeuristics(const SxAutoStmHeuristics& heuristics) = 0;
    virtual SXRESULT ChangeMinimumBufferSize(uint32_t minBufferSize) = 0;
    virtual SXRESULT SetName(const wchar_t* name) = 0;
    virtual uint32_t GetBlockSize() = 0;
    // 2 in error, 45 data ready, 46 none, 17 when buffering cannot progress (target reached,
    // end of file, or the device's IO memory full). outBuffering: bytes ready for the client.
    virtual SXRESULT BufferingState(uint32_t& outBuffering) = 0;
    virtual uint32_t TargetBufferSize() = 0;
    virtual SXRESULT Start() = 0;
    virtual SXRESULT Stop() = 0;
    virtual uint64_t Tell(bool* endOfFile = nullptr) = 0;
    virtual SXRESULT Seek(int64_t offset, SxMoveMethod method, int64_t* realOffset = nullptr) = 0;
    // 2 error, 45 data, 46 none, 17 data or none at the end of the file.
    virtual SXRESULT NextBuffer(void*& buffer, uint32_t& size, bool wait) = 0;
    // Gives back the oldest buffer the client holds; 2 when it holds none.
    virtual SXRESULT ReturnBuffer() = 0;
};

class ISxStreamMgr {
public:
    virtual ~ISxStreamMgr() = default;
    virtual SXRESULT Destroy() = 0;
    virtual SXRESULT CreateStd(uint32_t fileID, SxFileSystemFlags* flags, SxOpenMode openMode, ISxStdStream*& stream,
                               bool syncOpen) = 0;
    virtual SXRESULT CreateStd(const wchar_t* fileName, SxFileSystemFlags* flags, SxOpenMode openMode,
                               ISxStdStream*& stream, bool syncOpen) = 0;
    virtual SXRESULT CreateAuto(uint32_t fileID, SxFileSystemFlags* flags, const SxAutoStmHeuristics& heuristics,
                                const SxAutoStmBufSettings* bufferSettings, ISxAutoStream*& stream, bool syncOpen) = 0;
    virtual SXRESULT CreateAuto(const wchar_t* fileName, SxFileSystemFlags* flags,
                                const SxAutoStmHeuristics& heuristics, const SxAutoStmBufSettings* bufferSettings,
                                ISxAutoStream*& stream, bool syncOpen) = 0;

    static ISxStreamMgr* m_pStreamMgr;
};

}  // namespace SX
