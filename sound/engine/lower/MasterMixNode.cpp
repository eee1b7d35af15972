#include "sound/engine/lower/MasterMixNode.h"

#include <algorithm>
#include <cstring>
#include "sound/engine/memory/SxMemoryMgr.h"

#include "sound/engine/lower/SxDecibels.h"
#include "sound/engine/lower/SxMixKernels.h"

namespace SX {

SXRESULT MasterMixNode::Init(uint32_t channelMask, SxMemPoolId pool) {
    if (channelMask != SxChannelMaskStereo && channelMask != SxChannelMask51) return SX_UnsupportedChannelConfig;
    Term();
    const uint32_t bytes = SxChannelCount(channelMask) * SxFrameLength * sizeof(float);
    m_buffer.data = static_cast<float*>(MemoryMgr::Malign(pool, bytes, SxMixBufferAlignment));
    if (!m_buffer.data) return SX_InsufficientMemory;
    m_pool = pool;
    std::memset(m_buffer.data, 0, bytes);
    m_buffer.channelMask = channelMask;
    m_buffer.maxFrames = SxFrameLength;
    m_buffer.validFrames = 0;
    m_volume = m_previousVolume = m_lfe = m_previousLfe = 1.0f;
    m_volumeDb = m_lfeDb = 0.0f;
    m_state = kIdle;
    m_result = SX_NoMoreData;
    return SX_Success;
}

void MasterMixNode::Term() {
    if (m_buffer.data) MemoryMgr::Free(m_pool, m_buffer.data);
    m_buffer.Clear();
    DropEffects();
}

void MasterMixNode::DropEffects() {
    for (Slot& slot : m_slots) slot = Slot();
    m_bypassAll = 0;
}

void MasterMixNode::ResetFrame() {
    m_state = m_result == SX_NoMoreData ? kIdle : kActive;
    m_result = SX_NoMoreData;
    m_buffer.validFrames = 0;
    if (m_buffer.data) std::memset(m_buffer.data, 0, sizeof(float) * m_buffer.Channels() * SxFrameLength);
}

SXRESULT MasterMixNode::MixBuffer(const SxAudioBuffer& busBuffer, const float* previous, const float* current) {
    if (busBuffer.validFrames == 0) return SX_Success;
    if ((busBuffer.channelMask & ~m_buffer.channelMask) != 0) return SX_NoDataReady;
    m_result = SX_DataReady;
    if (m_state == kIdle) {
        // Effects start from a clean state after an idle stretch.
        for (Slot& slot : m_slots)
            if (slot.effect) slot.effect->Reset();
    }
    m_state = kActive;
    // Effects process the valid frames: the whole buffer holds this frame's mix.
    m_buffer.validFrames = m_buffer.maxFrames;
    if (busBuffer.channelMask == m_buffer.channelMask) {
        SxMixKernels::MixNode(busBuffer.data, m_buffer.data, m_buffer.Channels(), SxFrameLength, previous, current);
        return SX_Success;
    }
    for (uint32_t bit = 0; bit < 6; ++bit) {
        if (!(busBuffer.channelMask & (1u << bit))) continue;
        const uint32_t c = SxPlanarIndex(busBuffer.channelMask, bit);
        const float step = (current[c] - previous[c]) * (1.0f / SxFrameLength);
        SxMixKernels::MixChannel(busBuffer.Channel(c), m_buffer.Channel(SxPlanarIndex(m_buffer.channelMask, bit)),
                                 SxFrameLength, previous[c], step);
    }
    return SX_Success;
}

void MasterMixNode::SetVolumeDb(float db) {
    m_volumeDb = db;
    m_volume = SxMath::DbToLinear(db);
}

void MasterMixNode::SetLfeDb(float db) {
    m_lfeDb = db;
    m_lfe = SxMath::DbToLinear(db);
}

void MasterMixNode::ReloadVolumes(float volumeDb, float lfeDb) {
    SetVolumeDb(volumeDb);
    SetLfeDb(lfeDb);
    m_previousVolume = m_volume;
    m_previousLfe = m_lfe;
}

void MasterMixNode::SetEffect(uint32_t slot, ISxMasterEffect* effect) {
    if (slot < kEffectSlots) m_slots[slot] = Slot{effect, 0};
}

void MasterMixNode::SetBypass(uint32_t slot, bool bypass) {
    if (slot < kEffectSlots) m_slots[slot].bypass = static_cast<uint8_t>((m_slots[slot].bypass & 2) | bypass);
}

void MasterMixNode::SetBypassAll(bool bypass) { m_bypassAll = static_cast<uint8_t>((m_bypassAll & 2) | bypass); }

void MasterMixNode::ProcessFinalMix(SxAudioBuffer& out) {
    if (m_state == kActive) {
        for (Slot& slot : m_slots) {
            if (!slot.effect) continue;
            const bool bypassed = (slot.bypass & 1) || (m_bypassAll & 1);
            const bool wasBypassed = (slot.bypass & 2) || (m_bypassAll & 2);
            if (bypassed) {
                if (!wasBypassed) slot.effect->Reset();
            } else {
                slot.effect->Execute(m_buffer);
            }
            slot.bypass = static_cast<uint8_t>((slot.bypass & 1) | ((slot.bypass & 1) << 1));
        }
        m_bypassAll = static_cast<uint8_t>((m_bypassAll & 1) | ((m_bypassAll & 1) << 1));
        m_buffer.validFrames = m_buffer.maxFrames;
    }
    const float volume = std::min(m_volume, 1.0f), previous = std::min(m_previousVolume, 1.0f);
    const float lfe = std::min(m_lfe, 1.0f), previousLfe = std::min(m_previousLfe, 1.0f);
    if (m_buffer.channelMask == SxChannelMaskStereo)
        SxMixKernels::InterleaveStereo(m_buffer.data, out.data, SxFrameLength, previous, volume);
    else
        SxMixKernels::InterleaveFivePointOne(m_buffer.data, out.data, SxFrameLength, previous, volume, previousLfe,
                                             lfe);
    out.validFrames = SxFrameLength;
    m_previousVolume = m_volume;
    m_previousLfe = m_lfe;
}

}  // namespace SX
