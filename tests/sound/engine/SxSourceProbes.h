#pragma once
// What tests read and set of the voices' sources and the sink: where a source stands and the
// loops it has left, the file a file source plays without a source record, and where the sink
// writes in the device's buffer.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/output/CSxSinkDevice.h"
#include "sound/engine/voice/CSxSrcBaseEx.h"
#include "sound/engine/voice/CSxSrcFileBase.h"

template <>
struct platform::TestProbe<SX::CSxSrcBaseEx> {
    static uint32_t CurrentFrame(const SX::CSxSrcBaseEx& source) { return source.m_current; }
    static uint16_t LoopsRemaining(const SX::CSxSrcBaseEx& source) { return source.m_loopsRemaining; }
};

template <>
struct platform::TestProbe<SX::CSxSrcFileBase> {
    // The file ("%u.med" by ID) the source opens when its instance has no source record.
    static void UseFile(SX::CSxSrcFileBase& source, uint32_t fileID) { source.m_fileID = fileID; }
};

template <>
struct platform::TestProbe<SX::CSxSinkDevice> {
    static uint32_t WriteOffset(const SX::CSxSinkDevice& sink) { return sink.m_writeOffset; }
    static uint32_t BufferSize(const SX::CSxSinkDevice& sink) { return sink.m_bufferSize; }
};

namespace qvtest {
using SourceProbe = platform::TestProbe<SX::CSxSrcBaseEx>;
using FileSourceProbe = platform::TestProbe<SX::CSxSrcFileBase>;
using SinkProbe = platform::TestProbe<SX::CSxSinkDevice>;
}  // namespace qvtest
