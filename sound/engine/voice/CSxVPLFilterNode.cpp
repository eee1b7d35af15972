#include "sound/engine/voice/CSxVPLFilterNode.h"

#include "sound/engine/upper/CSxPBI.h"

namespace SX {

SXRESULT CSxVPLFilterNode::Init(const SxFxSlotInfo& fx, uint32_t slot, CSxPBI* instance, const SxAudioFormat& format) {
    m_ended = false;
    m_bypass = m_bypassedLast = fx.bypass;
    const SXRESULT result = m_fx.CreateOnVoice(fx, instance, instance ? instance->GameObj() : nullptr, slot, format);
    if (result == SX_Success && !m_fx.HasPlugin()) return SX_Fail;
    return result;
}

void CSxVPLFilterNode::Execute(SxAudioBuffer& buffer, bool bypassAll) {
    if (buffer.state == SX_NoMoreData) m_ended = true;
    const bool bypassed = m_bypass || bypassAll;
    if (bypassed) {
        if (!m_bypassedLast) m_fx.Reset();
    } else {
        m_fx.Execute(buffer);
    }
    m_bypassedLast = bypassed;
}

SXRESULT CSxVPLFilterNode::TimeSkip(uint32_t frames) {
    if (m_ended) return SX_NoMoreData;
    return m_fx.HasPlugin() ? m_fx.Plugin()->TimeSkip(frames) : SX_DataReady;
}

void CSxVPLFilterNode::Reset() {
    m_fx.Reset();
    m_ended = false;
}

}  // namespace SX
