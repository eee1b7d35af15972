#pragma once
// An automatic stream: reads ahead into IO blocks on its own, keeping about the device's
// target length of data ready, and hands the blocks to its client in file order.
#include <deque>

#include "sound/engine/stream/ISxStreams.h"
#include "sound/stream/streams/CSxStmTask.h"

namespace SX::StreamMgr {

class CSxAutoStmBase : public CSxStmTask, public ISxAutoStream {
public:
    CSxAutoStmBase(CSxDeviceBase* device, const SxFileDesc& desc, uint32_t blockSize, uint32_t fileID);
    // Applies the heuristics and buffer settings: SX_Fail for settings the device cannot
    // serve, SX_InvalidParameter for bad heuristics.
    SXRESULT Init(const SxAutoStmHeuristics& heuristics, const SxAutoStmBufSettings* bufferSettings);

    // ISxAutoStream
    void Destroy() override;
    void QueryInfo(SxStreamInfo& info) override;
    const SxFileDesc* GetFileDescriptor() override { return &m_desc; }
    void Heuristics(SxAutoStmHeuristics& heuristics) override;
    SXRESULT ChangeHeuristics(const SxAutoStmHeuristics& heuristics) override;
    SXRESULT ChangeMinimumBufferSize(uint32_t minBufferSize) override;
    SXRESULT SetName(const wchar_t* name) override { return SetNameInPool(name); }
    uint32_t GetBlockSize() override { return m_blockSize; }
    SXRESULT BufferingState(uint32_t& outBuffering) override;
    uint32_t TargetBufferSize() override;
    SXRESULT Start() override;
    SXRESULT Stop() override;
    uint64_t Tell(bool* endOfFile) override;
    SXRESULT Seek(int64_t offset, SxMoveMethod method, int64_t* realOffset) override;
    SXRESULT NextBuffer(void*& buffer, uint32_t& size, bool wait) override;
    SXRESULT ReturnBuffer() override;

    // CSxStmTask
    bool CanBeDestroyed() override;
    void ForceFinalState() override;
    SXRESULT PrepareTransfer(SxTransfer& transfer) override;
    void Update(SxTransfer& transfer, SXRESULT result) override;
    float DeadlineMs() override;

protected:
    void OnFileOpened() override;

private:
    struct ReadyBuffer {
        SxIOBlock* block;
        uint32_t offset;   // first valid byte in the block
        int64_t position;  // file position of that byte
        uint32_t size;
        uint32_t counted;  // bytes it adds to the buffered count (clipped at the loop end)
    };

    void ApplyHeuristics(const SxAutoStmHeuristics& heuristics);
    uint32_t Target() const;
    int64_t CurrentPosition() const;
    // Where the next transfer reads: after the last ready buffer the client has not taken.
    int64_t NextReadPosition() const;
    // Gives back the ready buffers the client has not taken, and drops a transfer in flight.
    void Flush();
    void UpdateSchedulingStatus();

    SxAutoStmHeuristics m_heuristics;
    uint32_t m_fileID;
    uint32_t m_transferSize = 0;
    uint32_t m_minBufferSize = 0;
    uint32_t m_effectiveBlockSize = 0;
    uint64_t m_buffered = 0;
    std::deque<ReadyBuffer> m_ready;  // the first m_handedOut are with the client
    size_t m_handedOut = 0;
    int64_t m_nextExpected = 0;
    bool m_started = false;
    bool m_error = false;
    bool m_inFlight = false;
    bool m_inFlightDropped = false;
    int64_t m_inFlightPosition = 0;
};

}  // namespace SX::StreamMgr
