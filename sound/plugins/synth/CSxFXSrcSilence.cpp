#include "sound/plugins/synth/CSxFXSrcSilence.h"

#include <algorithm>
#include <cstring>

#include "platform/os/Random.h"
#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {

// The shortest pass: a duration plus offset at or below zero still takes a millisecond.
float PassSeconds(float duration, float offset) { return std::max(0.001f, duration + offset); }

}  // namespace

SXRESULT CSxFxSrcSilenceParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    float* fields[] = {&values.duration, &values.randomMinimum, &values.randomMaximum};
    if (paramID < 0 || paramID > 2) return SX_InvalidParameter;
    return SxFxReadValue(value, size, *fields[paramID]) ? SX_Success : SX_InvalidParameter;
}

SXRESULT CSxFxSrcSilenceParams::SetParamsBlock(const void* block, uint32_t size) {
    SxParamsBlockReader r(block, size, kSilenceParamsSize);
    if (!r.IsValid()) return r.Result();
    values.duration = r.ReadF32();
    values.randomMinimum = r.ReadF32();
    values.randomMaximum = r.ReadF32();
    return SX_Success;
}

SXRESULT CSxFxSrcSilenceParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size != 0) return SetParamsBlock(block, size);
    values = SxSilenceFXParams();
    return SX_Success;
}

ISxPluginParam* CSxFxSrcSilenceParams::Clone(ISxPluginMemAlloc* allocator) {
    CSxFxSrcSilenceParams* copy = SxFxNew<CSxFxSrcSilenceParams>(allocator);
    if (copy) copy->values = values;
    return copy;
}

SXRESULT CSxFxSrcSilenceParams::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxFXSrcSilence::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxFXSrcSilence::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Source;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

SXRESULT CSxFXSrcSilence::Init(ISxPluginMemAlloc*, ISxSourcePluginContext* context, ISxPluginParam* params,
                               SxAudioFormat& format) {
    m_params = static_cast<CSxFxSrcSilenceParams*>(params);
    if (!m_params) return SX_InvalidParameter;
    m_rate = format.sampleRate;
    m_bytesPerSample = std::max<uint32_t>(1, format.bitsPerSample / 8);
    m_loops = context ? context->GetNumLoops() : 1;
    const SxSilenceFXParams& v = m_params->values;
    m_offset = float(platform::crt_rand()) * 3.051851e-5f * (v.randomMaximum - v.randomMinimum) + v.randomMinimum;
    m_duration = PassSeconds(v.duration, m_offset);
    m_produced = 0;
    return SX_Success;
}

SXRESULT CSxFXSrcSilence::Reset() {
    m_produced = 0;
    return SX_Success;
}

float CSxFXSrcSilence::GetDuration() const { return m_duration * 1000.0f * float(m_loops); }

SXRESULT CSxFXSrcSilence::StopLooping() {
    m_loops = 1;
    return SX_Success;
}

SXRESULT CSxFXSrcSilence::TimeSkip(uint32_t& frames) {
    if (m_loops == 0) return SX_DataReady;
    // The duration is read again, so that a game-parameter change applies while it plays.
    const float pass = float(m_rate) * PassSeconds(m_params->values.duration, m_offset);
    const uint64_t passFrames = pass < 4294967040.0f ? uint64_t(pass) : 0xFFFFFFFFull;
    const uint64_t total = passFrames * m_loops * m_bytesPerSample;
    if (m_produced >= total) {
        frames = 0;
        return SX_NoMoreData;
    }
    const uint64_t asked = uint64_t(frames) * m_bytesPerSample;
    const uint64_t take = std::min(asked, total - m_produced);
    m_produced += take;
    frames = uint32_t(take / m_bytesPerSample);
    return take == asked ? SX_DataReady : SX_NoMoreData;
}

void CSxFXSrcSilence::Execute(SxAudioBuffer* buffer) {
    uint32_t count = buffer->maxFrames;
    buffer->state = TimeSkip(count);
    buffer->validFrames = uint16_t(count);
    for (uint32_t c = 0; c < buffer->Channels(); ++c) std::memset(buffer->Channel(c), 0, count * sizeof(float));
}

ISxPlugin* CreateSilenceSource(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxFXSrcSilence>(allocator); }
ISxPluginParam* CreateSilenceSourceParams(ISxPluginMemAlloc* allocator) {
    return SxFxNew<CSxFxSrcSilenceParams>(allocator);
}

}  // namespace SX
