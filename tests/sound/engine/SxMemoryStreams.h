#pragma once
// Files streamed from memory through a stream manager of their own: each stream answers "not
// ready" for a set number of its first requests, or until a set number of audio frames have
// passed since it was made, as a stream still filling does.
#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "sound/engine/stream/ISxStreams.h"
#include "sound/engine/transitions/SxTimingSettings.h"

namespace sxtest {

using namespace SX;

constexpr uint32_t kChunk = 4096;

// One file read from memory in chunks; the first few requests find nothing ready yet.
class MemoryStream final : public ISxAutoStream {
public:
    MemoryStream(const std::vector<uint8_t>& bytes, uint32_t notReady, uint32_t readyAtFrame)
        : m_bytes(bytes), m_notReady(notReady), m_readyAtFrame(readyAtFrame) {
        m_desc.fileSize = static_cast<int64_t>(bytes.size());
    }
    void Destroy() override { delete this; }
    void QueryInfo(SxStreamInfo& info) override { info.size = static_cast<int64_t>(m_bytes.size()); }
    const SxFileDesc* GetFileDescriptor() override { return &m_desc; }
    void Heuristics(SxAutoStmHeuristics& heuristics) override { heuristics = m_heuristics; }
    SXRESULT ChangeHeuristics(const SxAutoStmHeuristics& heuristics) override {
        m_heuristics = heuristics;
        return SX_Success;
    }
    SXRESULT ChangeMinimumBufferSize(uint32_t) override { return SX_Success; }
    SXRESULT SetName(const wchar_t*) override { return SX_Success; }
    uint32_t GetBlockSize() override { return 1; }
    SXRESULT BufferingState(uint32_t& outBuffering) override {
        outBuffering = m_notReady ? 0 : kChunk;
        return m_notReady ? SX_NoDataReady : SX_DataReady;
    }
    uint32_t TargetBufferSize() override { return kChunk; }
    SXRESULT Start() override { return SX_Success; }
    SXRESULT Stop() override { return SX_Success; }
    uint64_t Tell(bool* endOfFile) override {
        if (endOfFile) *endOfFile = m_position >= m_bytes.size();
        return m_position;
    }
    SXRESULT Seek(int64_t offset, SxMoveMethod method, int64_t* realOffset) override {
        if (method != SX_MoveBegin || offset < 0 || static_cast<size_t>(offset) > m_bytes.size()) return SX_Fail;
        m_position = static_cast<size_t>(offset);
        if (realOffset) *realOffset = offset;
        return SX_Success;
    }
    SXRESULT NextBuffer(void*& buffer, uint32_t& size, bool) override {
        if (m_notReady > 0) {
            --m_notReady;
            return SX_NoDataReady;
        }
        if (static_cast<int32_t>(g_uSxAudioFrameCounter - m_readyAtFrame) < 0) return SX_NoDataReady;
        size = static_cast<uint32_t>(std::min<size_t>(kChunk, m_bytes.size() - m_position));
        buffer = const_cast<uint8_t*>(m_bytes.data()) + m_position;
        m_position += size;
        return m_position >= m_bytes.size() ? SX_NoMoreData : SX_DataReady;
    }
    SXRESULT ReturnBuffer() override { return SX_Success; }

private:
    const std::vector<uint8_t>& m_bytes;
    uint32_t m_notReady;
    uint32_t m_readyAtFrame;
    size_t m_position = 0;
    SxFileDesc m_desc;
    SxAutoStmHeuristics m_heuristics;
};

class MemoryStreams final : public ISxStreamMgr {
public:
    SXRESULT Destroy() override { return SX_Success; }
    SXRESULT CreateStd(uint32_t, SxFileSystemFlags*, SxOpenMode, ISxStdStream*&, bool) override { return SX_Fail; }
    SXRESULT CreateStd(const wchar_t*, SxFileSystemFlags*, SxOpenMode, ISxStdStream*&, bool) override {
        return SX_Fail;
    }
    SXRESULT CreateAuto(uint32_t fileID, SxFileSystemFlags*, const SxAutoStmHeuristics&, const SxAutoStmBufSettings*,
                        ISxAutoStream*& stream, bool) override {
        auto it = files.find(fileID);
        if (it == files.end()) return SX_Fail;
        stream = new MemoryStream(it->second, notReady, g_uSxAudioFrameCounter + notReadyFrames);
        return SX_Success;
    }
    SXRESULT CreateAuto(const wchar_t*, SxFileSystemFlags*, const SxAutoStmHeuristics&, const SxAutoStmBufSettings*,
                        ISxAutoStream*&, bool) override {
        return SX_Fail;
    }
    std::map<uint32_t, std::vector<uint8_t>> files;
    uint32_t notReady = 0;        // requests of each stream answered "not ready"
    uint32_t notReadyFrames = 0;  // audio frames after its making that each stream is not ready
};

}  // namespace sxtest
