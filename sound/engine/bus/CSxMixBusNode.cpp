#include "sound/engine/bus/CSxMixBusNode.h"

#include <algorithm>
#include <cstring>

#include "sound/engine/attenuations/SxEffectLookup.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/lower/SxDecibels.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

namespace {
// Speaker of each channel bit in the order of volume records (L, R, C, SL, SR, LFE).
constexpr uint32_t kSpeakerOfBit[6] = {0, 1, 2, 5, 3, 4};
}  // namespace

SXRESULT CSxMixBusNode::Init(uint32_t channelMask, uint16_t maxFrames, BusHandle bus) {
    if (bus) {
        bus.Get()->AddRef();
        if (bus.Get()->IncrementActivityCount(ISxBusObject::kActivityMixNode) != SX_Success) {
            bus.Get()->Release();
            return SX_Fail;
        }
    }
    m_bus = bus;
    m_passThrough = false;
    m_volume = m_previousVolume = m_lfe = m_previousLfe = 1.0f;
    m_volumeDb = m_lfeDb = 0.0f;
    for (CSxBusFxSlot& slot : m_slots) slot.Drop();
    std::fill(std::begin(m_gains), std::end(m_gains), 1.0f);
    m_state = kIdle;
    m_dataBytes = SxChannelCount(channelMask) * maxFrames * sizeof(float);
    m_buffer.data = static_cast<float*>(MemoryMgr::Malign(g_LEngineDefaultPoolId, m_dataBytes, SxMixBufferAlignment));
    if (!m_buffer.data) return SX_InsufficientMemory;
    std::memset(m_buffer.data, 0, m_dataBytes);
    m_buffer.channelMask = channelMask;
    m_buffer.maxFrames = maxFrames;
    m_buffer.validFrames = 0;
    m_buffer.state = SX_NoMoreData;
    return SX_Success;
}

void CSxMixBusNode::Term() {
    if (m_bus) {
        m_bus.Get()->DecrementActivityCount(ISxBusObject::kActivityMixNode);
        m_bus.Get()->Release();
        m_bus = BusHandle();
    }
    DropFx();
    if (m_buffer.data) MemoryMgr::Free(g_LEngineDefaultPoolId, m_buffer.data);
    m_buffer.Clear();
}

void CSxMixBusNode::SetVolumeDb(float db) {
    m_volumeDb = db;
    m_volume = SxMath::DbToLinear(db);
}

void CSxMixBusNode::SetLfeDb(float db) {
    m_lfeDb = db;
    m_lfe = SxMath::DbToLinear(db);
}

void CSxMixBusNode::SetLevels(float volumeDb, float lfeDb) {
    SetVolumeDb(volumeDb);
    SetLfeDb(lfeDb);
    m_previousVolume = m_volume;
    m_previousLfe = m_lfe;
}

void CSxMixBusNode::ReloadVolumes() {
    if (!m_passThrough) SetLevels(m_bus.VolumeDb(), m_bus.LfeDb());
    if (m_environmentID != 0) {
        float volumes[6] = {1, 1, 1, 1, 1, 1};
        SxEnvironmentVolumes(m_environmentID, volumes);
        std::copy(volumes, volumes + 6, m_previousSpeakers);
    }
}

void CSxMixBusNode::Connect() {
    if (m_state != kActive) ReloadVolumes();
    ++m_refCount;
}

void CSxMixBusNode::Release() {
    if (m_refCount) --m_refCount;
}

// The whole buffer holds this frame's mix from the first input on: effects process all of it.
void CSxMixBusNode::HoldData() {
    m_buffer.state = SX_DataReady;
    m_buffer.validFrames = m_buffer.maxFrames;
    if (m_state == kIdle) m_state = kActive;
}

// Any other layout: each channel of the node takes the gain of its own speaker.
void CSxMixBusNode::MixIntoSpeakers(const float* src, uint32_t frames, const SxSpeakerGains& gains) {
    for (uint32_t bit = 0; bit < 6; ++bit) {
        if (!(m_buffer.channelMask & (1u << bit))) continue;
        const uint32_t s = kSpeakerOfBit[bit];
        const float step = (gains.current[s] - gains.previous[s]) / static_cast<float>(frames);
        SxMixKernels::MixChannel(src, m_buffer.Channel(SxPlanarIndex(m_buffer.channelMask, bit)), frames,
                                 gains.previous[s], step);
    }
}

void CSxMixBusNode::MixVoice(SxAudioBuffer& voice, const SxSpeakerGains* gains, uint32_t panningRule) {
    if (voice.validFrames == 0) return;
    HoldData();
    voice.ZeroFillToMaxFrames();
    const uint32_t frames = std::min<uint32_t>(voice.maxFrames, m_buffer.maxFrames);
    const uint32_t inputs = voice.Channels();
    for (uint32_t c = 0; c < inputs; ++c) {
        const float* src = voice.Channel(c);
        if (m_buffer.channelMask == SxChannelMask51)
            SxMixKernels::MixIntoFivePointOne(src, m_buffer.data, frames, gains[c]);
        else if (m_buffer.channelMask == SxChannelMask40)
            SxMixKernels::MixIntoFourPointZero(src, m_buffer.data, frames, gains[c]);
        else if (m_buffer.channelMask == SxChannelMaskStereo)
            SxMixKernels::MixIntoStereo(src, m_buffer.data, frames, gains[c], panningRule);
        else
            MixIntoSpeakers(src, frames, gains[c]);
    }
}

void CSxMixBusNode::MixNode(const SxAudioBuffer& child, const float* previous, const float* current) {
    if (child.validFrames == 0) return;
    HoldData();
    const uint32_t frames = std::min<uint32_t>(child.maxFrames, m_buffer.maxFrames);
    for (uint32_t bit = 0; bit < 18; ++bit) {
        if (!(child.channelMask & (1u << bit)) || !(m_buffer.channelMask & (1u << bit))) continue;
        const uint32_t c = SxPlanarIndex(child.channelMask, bit);
        const float step = (current[c] - previous[c]) / static_cast<float>(frames);
        SxMixKernels::MixChannel(child.Channel(c), m_buffer.Channel(SxPlanarIndex(m_buffer.channelMask, bit)), frames,
                                 previous[c], step);
    }
}

void CSxMixBusNode::ProcessEffects() {
    if (m_state == kActive) {
        for (CSxBusFxSlot& slot : m_slots) {
            if (!slot.HasPlugin()) continue;
            const uint8_t b = m_flags | slot.Flags();
            if (!(b & 1))
                slot.Execute(m_buffer);
            else if (!(b & 2))
                slot.Reset();
            slot.Flags() = static_cast<uint8_t>((slot.Flags() & 1) | ((slot.Flags() & 1) << 1));
        }
        m_flags = static_cast<uint8_t>((m_flags & 1) | ((m_flags & 1) << 1));
        m_buffer.validFrames = m_buffer.maxFrames;
    }
    float speakers[6] = {1, 1, 1, 1, 1, 1};
    if (m_environmentID != 0) SxEnvironmentVolumes(m_environmentID, speakers);
    for (uint32_t bit = 0; bit < 6; ++bit) {
        if (!(m_buffer.channelMask & (1u << bit))) continue;
        const uint32_t c = SxPlanarIndex(m_buffer.channelMask, bit);
        const uint32_t s = kSpeakerOfBit[bit];
        if (bit == 3) {
            m_gains[8 + c] = std::min(m_lfe * speakers[s], 1.0f);
            m_gains[c] = std::min(m_previousLfe * m_previousSpeakers[s], 1.0f);
        } else {
            m_gains[8 + c] = std::min(m_volume * speakers[s], 1.0f);
            m_gains[c] = std::min(m_previousVolume * speakers[s], 1.0f);
        }
    }
    std::copy(speakers, speakers + 6, m_previousSpeakers);
    m_previousVolume = m_volume;
    m_previousLfe = m_lfe;
}

void CSxMixBusNode::Clear() {
    if (m_buffer.data) std::memset(m_buffer.data, 0, m_dataBytes);
    if (m_state != kDestroying) m_state = m_buffer.state != SX_NoMoreData ? kActive : kIdle;
    m_buffer.state = SX_NoMoreData;
    m_buffer.validFrames = 0;
}

SXRESULT CSxMixBusNode::SetInsertFx(uint32_t slot, SxUniqueID environmentID) {
    if (slot >= kEffectSlots) return SX_InvalidParameter;
    SxFxSlotInfo fx;
    if (environmentID != 0)
        fx = SxEnvironmentFx(environmentID, slot);
    else
        fx = m_bus.GetFx(slot);
    const SxAudioFormat format = SxFloatFormat(CSxLEngine::OutputSampleRate(), m_buffer.channelMask);
    return m_slots[slot].Create(fx, this, slot, m_bus, environmentID, format);
}

SXRESULT CSxMixBusNode::SetupFx(SxUniqueID environmentID) {
    m_environmentID = environmentID;
    SXRESULT result = SX_Success;
    for (uint32_t slot = 0; slot < kEffectSlots; ++slot) {
        const SXRESULT r = SetInsertFx(slot, environmentID);
        if (r != SX_Success) result = r;
    }
    m_flags = static_cast<uint8_t>((m_flags & 2) | (m_bus.BypassAllFx() ? 1 : 0));
    return result;
}

void CSxMixBusNode::BypassFx(uint32_t bits, uint32_t mask) {
    for (uint32_t i = 0; i < kEffectSlots; ++i)
        if (mask & (1u << i)) m_slots[i].Flags() = static_cast<uint8_t>((m_slots[i].Flags() & 2) | ((bits >> i) & 1));
    if (mask & 0x10) m_flags = static_cast<uint8_t>((m_flags & 2) | ((bits >> 4) & 1));
}

void CSxMixBusNode::DropFx() {
    for (CSxBusFxSlot& slot : m_slots) slot.Drop();
}

bool CSxMixBusNode::HoldsFx(const ISxEffectObject* effect) const {
    for (const CSxBusFxSlot& slot : m_slots)
        if (slot.Holds(effect)) return true;
    return false;
}

}  // namespace SX
