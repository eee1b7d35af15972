#include "sound/plugins/synth/SxSynthSource.h"

#include <cmath>
#include <cstring>

#include "sound/engine/plugin/SxPluginDsp.h"

namespace SX {

namespace {
constexpr float kPi = 3.1415927f;
}  // namespace

SXRESULT CSxSynthSource::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Source;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

SXRESULT CSxSynthSource::StartSource(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context,
                                     const SxSynthShape* shape, SxAudioFormat& format) {
    m_allocator = allocator;
    m_shape = shape;
    m_loops = context ? context->GetNumLoops() : 1;
    m_rate = format.sampleRate;
    if (m_rate == 0) return SX_InvalidParameter;
    format.channelMask = SxSynthChannelMask(shape->channelMask);
    m_channels = SxChannelCount(format.channelMask);
    return SX_Success;
}

void CSxSynthSource::DrawCycleDuration(SxSynthRandom& random) {
    m_cycleDuration = std::fmax(m_shape->duration + m_shape->durationRange * random.Draw(), 0.1f);
    if (!(m_cycleDuration <= 1e6f)) m_cycleDuration = 1e6f;  // not a number or beyond reason
}

SXRESULT CSxSynthSource::AdvanceTime(uint32_t frames) {
    m_time += float(frames) / float(m_rate) * m_shape->timeScale;
    if (!(m_time >= 0.0f)) m_time = 0.0f;
    if (m_time < m_cycleDuration) return SX_DataReady;
    m_time = std::fmod(m_time, m_cycleDuration);
    ++m_cycles;
    if (m_loops != 0 && m_cycles >= m_loops) return SX_NoMoreData;
    return NextCycle();
}

void CSxSynthSource::ClearBuffer(SxAudioBuffer* buffer) {
    buffer->state = SX_DataReady;
    buffer->validFrames = buffer->maxFrames;
    for (uint32_t c = 0; c < buffer->Channels(); ++c)
        std::memset(buffer->Channel(c), 0, buffer->maxFrames * sizeof(float));
}

void CSxSynthSource::FinishBuffer(SxAudioBuffer* buffer) {
    const SXRESULT time = AdvanceTime(buffer->maxFrames);
    if (time != SX_DataReady) buffer->state = time == SX_NoMoreData ? SX_NoMoreData : SX_Fail;
}

void SxPlanePan(float distance, float angle, uint32_t channels, float pan[4]) {
    const float dn = std::pow(distance, 1.0f / 6.0f);
    const float a = (dn * std::cos(angle) + 1.0f) * (kPi / 4.0f);
    pan[0] = std::cos(a);
    pan[1] = std::sin(a);
    if (channels != 4) return;
    const float b = (dn * std::sin(angle) + 1.0f) * (kPi / 4.0f);
    pan[0] = std::sin(b) * std::cos(a);
    pan[1] = std::sin(b) * std::sin(a);
    pan[2] = std::cos(b) * std::cos(a);
    pan[3] = std::cos(b) * std::sin(a);
}

SxDeflectorDraw SxDrawDeflector(const SxSynthValue& pitch, const SxSynthValue& q, const SxSynthValue& gain,
                                SxSynthRandom& random) {
    SxDeflectorDraw draw;
    draw.pitch = pitch.range * random.Draw();
    draw.q = q.range * random.Draw();
    draw.gain = std::pow(10.0f, gain.range * random.Draw() * 0.05f);
    return draw;
}

}  // namespace SX
