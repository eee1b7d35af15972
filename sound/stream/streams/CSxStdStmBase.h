#pragma once
// A standard stream: reads or writes the caller's buffer on request, in transfers of at most
// one granularity, straight into the buffer.
#include "sound/engine/stream/ISxStreams.h"
#include "sound/stream/streams/CSxStmTask.h"

namespace SX::StreamMgr {

class CSxStdStmBase : public CSxStmTask, public ISxStdStream {
public:
    CSxStdStmBase(CSxDeviceBase* device, const SxFileDesc& desc, uint32_t blockSize, SxOpenMode openMode);

    // ISxStdStream
    void Destroy() override;
    void QueryInfo(SxStreamInfo& info) override;
    const SxFileDesc* GetFileDescriptor() override { return &m_desc; }
    SXRESULT SetName(const wchar_t* name) override { return SetNameInPool(name); }
    uint32_t GetBlockSize() override { return m_blockSize; }
    SXRESULT Read(void* buffer, uint32_t size, bool wait, uint8_t priority, float deadlineMs,
                  uint32_t& outSize) override;
    SXRESULT Write(void* buffer, uint32_t size, bool wait, uint8_t priority, float deadlineMs,
                   uint32_t& outSize) override;
    uint64_t Tell(bool* endOfFile) override;
    SXRESULT Seek(int64_t offset, SxMoveMethod method, int64_t* realOffset) override;
    void Cancel() override;
    void* Data(uint32_t& size) override;
    SxStmStatus Status() override;

    // CSxStmTask
    bool CanBeDestroyed() override;
    void ForceFinalState() override;
    SXRESULT PrepareTransfer(SxTransfer& transfer) override;
    void Update(SxTransfer& transfer, SXRESULT result) override;
    float DeadlineMs() override;

private:
    SXRESULT Execute(bool write, void* buffer, uint32_t size, bool wait, uint8_t priority, float deadlineMs,
                     uint32_t& outSize);
    // Ends the request: leaves the waiting counters and wakes the client.
    void Finish(SxStmStatus status);
    void WaitForTransferInFlight(std::unique_lock<platform::CriticalSection>& lock);

    int64_t m_position = 0;
    void* m_buffer = nullptr;
    uint32_t m_requested = 0;
    uint32_t m_transferred = 0;
    float m_deadlineMs = 0.0f;
    int64_t m_requestStamp = 0;
    SxStmStatus m_status = SX_StmStatusIdle;
    bool m_inFlight = false;
    SxOpenMode m_openMode;
};

}  // namespace SX::StreamMgr
