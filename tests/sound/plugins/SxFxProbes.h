#pragma once
// What tests read of the effect, synth and motion plug-ins' instances: the lengths, counts,
// coefficients and signs their set-up derived from the parameters and the sample rate, and
// the state their processing leaves (a detector's reduction, a generator's segment, the rumble
// pairs queued).
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/plugins/effects/CSxDelayFX.h"
#include "sound/plugins/effects/CSxDynamicsFX.h"
#include "sound/plugins/effects/CSxFDNReverbFX.h"
#include "sound/plugins/effects/CSxModalSynth.h"
#include "sound/plugins/effects/CSxParametricEQFX.h"
#include "sound/plugins/effects/CSxPeakLimiterFX.h"
#include "sound/plugins/effects/CSxRoomReverbFX.h"
#include "sound/plugins/motion/CSxMotionGenerator.h"
#include "sound/plugins/motion/RumbleMixBus.h"
#include "sound/plugins/studio/CStudioDeviceSimFX.h"
#include "sound/plugins/studio/CStudioLimiterFX.h"
#include "sound/plugins/synth/CSxFXSrcSine.h"
#include "sound/plugins/synth/CSxToneGen.h"
#include "sound/plugins/synth/CSxWhooshSynth.h"
#include "sound/plugins/synth/CSxWindSynth.h"

template <>
struct platform::TestProbe<SX::CSxDelayFX> {
    static uint32_t TailLength(const SX::CSxDelayFX& fx) { return fx.m_tailLength; }
    static uint32_t LineLength(const SX::CSxDelayFX& fx) { return fx.m_lineLength; }
    static uint32_t LineCount(const SX::CSxDelayFX& fx) { return fx.m_lineCount; }
};

template <SX::SxDynamicsKind Kind>
struct platform::TestProbe<SX::CSxDynamicsFX<Kind>> {
    static uint32_t DetectorCount(const SX::CSxDynamicsFX<Kind>& fx) { return fx.m_detectorCount; }
    // The gain reduction of a detector, in dB.
    static float Reduction(const SX::CSxDynamicsFX<Kind>& fx, uint32_t detector) {
        return fx.m_detectors[detector].reduction;
    }
};

template <>
struct platform::TestProbe<SX::CSxFDNReverbFX> {
    static uint32_t LineLength(const SX::CSxFDNReverbFX& fx, uint32_t line) { return fx.m_lengths[line]; }
    static uint32_t ProcessedChannels(const SX::CSxFDNReverbFX& fx) { return fx.m_channels; }
    static uint32_t TailLength(const SX::CSxFDNReverbFX& fx) { return fx.m_tailLength; }
    // The sign (+1 or -1) of a line in a processed channel's output.
    static float Sign(const SX::CSxFDNReverbFX& fx, uint32_t channel, uint32_t line) {
        return fx.m_signs[channel][line];
    }
};

template <>
struct platform::TestProbe<SX::CSxModalSynth> {
    static uint32_t ModesUsed(const SX::CSxModalSynth& synth) { return synth.m_used; }
    // The instance's own randomised modes (the parameter object's list stays as given).
    static const SX::SxModalMode* Modes(const SX::CSxModalSynth& synth) { return synth.m_modes; }
    static uint32_t ModeCount(const SX::CSxModalSynth& synth) { return synth.m_modeCount; }
};

template <>
struct platform::TestProbe<SX::CSxParametricEQFX> {
    static const SX::SxBiquadCoefs& Coefs(const SX::CSxParametricEQFX& fx, uint32_t band) { return fx.m_coefs[band]; }
    static uint32_t ProcessedChannels(const SX::CSxParametricEQFX& fx) { return fx.m_processed; }
};

template <>
struct platform::TestProbe<SX::CSxPeakLimiterFX> {
    static uint32_t LookAheadFrames(const SX::CSxPeakLimiterFX& fx) { return fx.m_lookAhead; }
    static uint32_t DetectorCount(const SX::CSxPeakLimiterFX& fx) { return fx.m_detectorCount; }
};

template <>
struct platform::TestProbe<SX::CSxRoomReverbFX> {
    using FX = SX::CSxRoomReverbFX;

    static float DiffusionCoef(const FX& fx, uint32_t stage) { return fx.m_stages[stage].g; }
    static uint32_t DiffusionLength(const FX& fx, uint32_t stage) { return fx.m_stages[stage].length; }
    static uint32_t UnitLineLength(const FX& fx, uint32_t unit, uint32_t line) {
        return fx.m_units[unit].lines[line].length;
    }
    static float UnitNormalisation(const FX& fx) { return fx.m_unitNorm; }
    static uint32_t FilterCount(const FX& fx) { return fx.m_filterCount; }
    static uint32_t TailLength(const FX& fx) { return fx.m_tailLength; }
};

template <>
struct platform::TestProbe<SX::CSxMotionGenerator> {
    static uint8_t CurrentSegment(const SX::CSxMotionGenerator& generator) { return generator.m_segment; }
};

template <>
struct platform::TestProbe<SX::RumbleMixBus> {
    static int16_t QueuedPairs(const SX::RumbleMixBus& bus) { return bus.m_queued; }
    static bool HasController(const SX::RumbleMixBus& bus) { return bus.m_controller != nullptr; }
};

template <>
struct platform::TestProbe<SX::CStudioDeviceSimFX> {
    static bool StageHasMemory(const SX::CStudioDeviceSimFX& fx, SX::DeviceSimStageIndex stage) {
        return fx.m_headers[stage].HasRecords();
    }
};

template <>
struct platform::TestProbe<SX::CStudioLimiterFX> {
    static uint32_t Latency(const SX::CStudioLimiterFX& fx) { return fx.m_latency; }
};

template <>
struct platform::TestProbe<SX::CSxFXSrcSine> {
    static uint32_t FramesPerPass(const SX::CSxFXSrcSine& source) { return source.m_total; }
};

template <>
struct platform::TestProbe<SX::CSxToneGen> {
    static uint32_t SamplesPerLoop(const SX::CSxToneGen& source) { return source.m_samplesPerLoop; }
};

template <>
struct platform::TestProbe<SX::CSxWhooshSynth> {
    static float DeflectorSpeed(const SX::CSxWhooshSynth& synth, uint32_t k) { return synth.m_speeds[k]; }
    static float ObjectX(const SX::CSxWhooshSynth& synth) { return synth.m_x; }
    static float ObjectY(const SX::CSxWhooshSynth& synth) { return synth.m_y; }
    static uint32_t ControlPoints(const SX::CSxWhooshSynth& synth) { return synth.m_controlPoints; }
};

template <>
struct platform::TestProbe<SX::CSxWindSynth> {
    static float DeflectorSpeed(const SX::CSxWindSynth& synth, uint32_t k) { return synth.m_states[k].windSpeed; }
    static float DeflectorGain(const SX::CSxWindSynth& synth, uint32_t k) { return synth.m_bank.Gain(k); }
};

namespace qvtest {
using DelayProbe = platform::TestProbe<SX::CSxDelayFX>;
using FDNReverbProbe = platform::TestProbe<SX::CSxFDNReverbFX>;
using ModalSynthProbe = platform::TestProbe<SX::CSxModalSynth>;
using ParametricEQProbe = platform::TestProbe<SX::CSxParametricEQFX>;
using PeakLimiterProbe = platform::TestProbe<SX::CSxPeakLimiterFX>;
using RoomReverbProbe = platform::TestProbe<SX::CSxRoomReverbFX>;
using MotionGeneratorProbe = platform::TestProbe<SX::CSxMotionGenerator>;
using RumbleProbe = platform::TestProbe<SX::RumbleMixBus>;
using DeviceSimProbe = platform::TestProbe<SX::CStudioDeviceSimFX>;
using StudioLimiterProbe = platform::TestProbe<SX::CStudioLimiterFX>;
using SineSourceProbe = platform::TestProbe<SX::CSxFXSrcSine>;
using ToneGenProbe = platform::TestProbe<SX::CSxToneGen>;
using WhooshProbe = platform::TestProbe<SX::CSxWhooshSynth>;
using WindProbe = platform::TestProbe<SX::CSxWindSynth>;

// The compressor's and the expander's probes, picked by the instance's kind.
struct DynamicsProbe {
    template <SX::SxDynamicsKind Kind>
    static uint32_t DetectorCount(const SX::CSxDynamicsFX<Kind>& fx) {
        return platform::TestProbe<SX::CSxDynamicsFX<Kind>>::DetectorCount(fx);
    }
    template <SX::SxDynamicsKind Kind>
    static float Reduction(const SX::CSxDynamicsFX<Kind>& fx, uint32_t detector) {
        return platform::TestProbe<SX::CSxDynamicsFX<Kind>>::Reduction(fx, detector);
    }
};
}  // namespace qvtest
