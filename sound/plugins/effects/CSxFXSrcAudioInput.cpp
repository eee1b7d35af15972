#include "sound/plugins/effects/CSxFXSrcAudioInput.h"

#include <atomic>
#include <cmath>
#include <limits>
#include <type_traits>

#include "platform/Seam.h"
#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {
// The game's three callbacks are installed as one seam keyed by the execute callback; the
// other two are stored only when it is accepted. Installed on the game's thread, read on the
// audio thread.
platform::Seam<std::remove_pointer_t<SxAudioInputExecuteCallback>> g_executeCallback{"SX::SetAudioInputCallbacks"};
std::atomic<SxAudioInputFormatCallback> g_formatCallback{nullptr};
std::atomic<SxAudioInputGainCallback> g_gainCallback{nullptr};

float GainDb(float db) { return SxSanitizeParam(db, -200.0f, 96.0f, 0.0f); }

// An integer sample times a gain, truncated back to its type; held at its range.
template <typename T>
void ScaleSample(uint8_t* sample, float gain) {
    T v;
    std::memcpy(&v, sample, sizeof v);
    const double scaled = static_cast<double>(v) * gain;
    const double low = static_cast<double>(std::numeric_limits<T>::min());
    const double high = static_cast<double>(std::numeric_limits<T>::max());
    v = static_cast<T>(scaled < low ? low : (scaled > high ? high : scaled));
    std::memcpy(sample, &v, sizeof v);
}
}  // namespace

void SetAudioInputCallbacks(SxAudioInputExecuteCallback execute, SxAudioInputFormatCallback format,
                            SxAudioInputGainCallback gain) {
    if (!execute || !format || !g_executeCallback.Install(execute)) return;
    g_formatCallback = format;
    g_gainCallback = gain;
}

void RemoveAudioInputCallbacks(SxAudioInputExecuteCallback execute) {
    if (g_executeCallback.Installed() != execute) return;
    g_formatCallback = nullptr;
    g_gainCallback = nullptr;
    g_executeCallback.Remove(execute);
}

SXRESULT CSxFxSrcAudioInputParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    float f;
    if (paramID != 1 || !SxFxReadValue(value, size, f)) return SX_InvalidParameter;
    gain = GainDb(f);
    return SX_Success;
}

ISxPluginParam* CSxFxSrcAudioInputParams::Clone(ISxPluginMemAlloc* allocator) {
    CSxFxSrcAudioInputParams* copy = SxFxNew<CSxFxSrcAudioInputParams>(allocator);
    if (copy) copy->gain = gain;
    return copy;
}

SXRESULT CSxFxSrcAudioInputParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size != 0) return SetParamsBlock(block, size);
    gain = 0.0f;
    return SX_Success;
}

SXRESULT CSxFxSrcAudioInputParams::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxFxSrcAudioInputParams::SetParamsBlock(const void* block, uint32_t size) {
    SxParamsBlockReader reader(block, size, SxAudioInputFXParamsBlockSize);
    gain = GainDb(reader.ReadF32(0.0f));
    return reader.Result();
}

uint32_t CSxFXSrcAudioInput::VoiceID() const { return m_context ? m_context->GetPlayingID() : 0; }

float CSxFXSrcAudioInput::VoiceGain() const {
    float g = static_cast<float>(std::pow(10.0, double(m_params->gain) * 0.05));
    if (SxAudioInputGainCallback gain = g_gainCallback.load()) {
        // A game gain that is not a number silences the voice; huge ones are held.
        g *= SxSanitizeParam(gain(VoiceID()), 0.0f, 1000.0f, 0.0f);
    }
    return g;
}

SXRESULT CSxFXSrcAudioInput::Init(ISxPluginMemAlloc*, ISxSourcePluginContext* context, ISxPluginParam* params,
                                  SxAudioFormat& format) {
    m_params = static_cast<CSxFxSrcAudioInputParams*>(params);
    m_context = context;
    if (SxAudioInputFormatCallback formatOf = g_formatCallback.load()) formatOf(VoiceID(), format);
    m_sampleRate = format.sampleRate ? format.sampleRate : 48000;
    m_format = format;
    m_step = 1.0f / (static_cast<float>(m_sampleRate) * 0.1f);
    m_current = m_target = VoiceGain();
    m_ramped = m_rampLength = 0;
    return SX_Success;
}

SXRESULT CSxFXSrcAudioInput::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxFXSrcAudioInput::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Source;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

float CSxFXSrcAudioInput::NextGain() {
    if (m_ramped < m_rampLength) {
        m_current += m_signedStep;
        ++m_ramped;
    } else {
        m_current = m_target;
    }
    return m_current;
}

void CSxFXSrcAudioInput::Execute(SxAudioBuffer* buffer) {
    SxAudioInputExecuteCallback execute = g_executeCallback.Installed();
    if (!execute) {
        buffer->state = SX_Fail;
        buffer->validFrames = 0;
        return;
    }
    m_target = VoiceGain();
    m_rampLength = static_cast<uint32_t>(std::lround(std::fabs(m_target - m_current) / m_step));
    m_signedStep = m_target > m_current ? m_step : -m_step;
    m_ramped = 0;
    execute(VoiceID(), buffer);
    const uint32_t frames = buffer->validFrames < buffer->maxFrames ? buffer->validFrames : buffer->maxFrames;
    const uint32_t channels = SxChannelCount(buffer->channelMask);
    if (!buffer->data || channels == 0 || frames == 0) return;

    const float start = m_current;
    const uint32_t startRamped = m_ramped;
    if (m_format.sampleType == 1) {
        // Planar floats: every channel runs the same ramp from the same start.
        for (uint32_t c = 0; c < channels; ++c) {
            m_current = start;
            m_ramped = startRamped;
            float* x = buffer->Channel(c);
            for (uint32_t k = 0; k < frames; ++k) x[k] *= NextGain();
        }
        return;
    }
    const uint32_t bytes = m_format.blockAlign / channels;
    uint8_t* data = reinterpret_cast<uint8_t*>(buffer->data);
    for (uint32_t k = 0; k < frames; ++k) {
        const float g = NextGain();
        for (uint32_t c = 0; c < channels; ++c) {
            uint8_t* sample = data + (size_t(k) * channels + c) * bytes;
            if (bytes == 1)
                ScaleSample<int8_t>(sample, g);
            else if (bytes == 2)
                ScaleSample<int16_t>(sample, g);
            else if (bytes == 4)
                ScaleSample<int32_t>(sample, g);
        }
    }
}

ISxPlugin* CreateAudioInputSource(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxFXSrcAudioInput>(allocator); }
ISxPluginParam* CreateAudioInputSourceParams(ISxPluginMemAlloc* allocator) {
    return SxFxNew<CSxFxSrcAudioInputParams>(allocator);
}

}  // namespace SX
