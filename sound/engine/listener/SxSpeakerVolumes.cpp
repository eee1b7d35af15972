#include "sound/engine/listener/SxSpeakerVolumes.h"

#include <algorithm>
#include <cmath>

#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/environments/CSxEnvironmentsMgr.h"
#include "sound/engine/listener/SxPanning.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/lower/SxDecibels.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"

namespace SX {

namespace {

constexpr float kInaudible = 1.0f / 65536.0f;
constexpr float kUnset = -1.0e30f;

// A volume term that is not a number is silence; no term is above 0 dB.
float VolumeTerm(float db) { return std::isnan(db) ? SxPanning::kSilenceDb : std::min(db, 0.0f); }

float CurveValue(const CSxConversionTable* curve, float x, float none) {
    if (!curve || curve->Count() == 0) return none;
    const float value = curve->Convert(x);
    return std::isfinite(value) ? value : none;
}

// An obstruction or occlusion level (stored as level x 255) through its curve of a target.
float ObsOcc(SxObsOccCurveKind kind, SxObsOccCurveTarget target, uint8_t level) {
    if (!g_pEnvironmentsMgr) return 0.0f;
    const float value = g_pEnvironmentsMgr->GetCurveValue(kind, target, level * (100.0f / 255.0f));
    return std::isfinite(value) ? value : 0.0f;
}

float LowPassValue(float value) { return std::isfinite(value) ? std::clamp(value, 0.0f, 100.0f) : 0.0f; }

// Distance scaling of the emitter and the listener; one that is not a positive number counts as 1.
float Scaling(float factor) { return std::isfinite(factor) && factor > 0.0f ? factor : 1.0f; }

// Also gives the loudest distance, obstruction and occlusion term, which the LFE input takes.
float Positioned(const SxVoiceVolumeParams& params, uint32_t inputs, float (*dry)[8], float (*wet)[8],
                 SxVoiceVolumes& out) {
    static const SxSoundPosition kDefaultPosition{{0, 0, 0}, {0, 0, 1}};
    const CSxRegisteredObj* object = params.gameObject;
    const bool objectPositions = !params.onPath && object && object->PositionCount();
    const SxSoundPosition* positions = params.onPath     ? &params.pathPosition
                                       : objectPositions ? object->Positions()
                                                         : &kDefaultPosition;
    const uint32_t positionCount = objectPositions ? object->PositionCount() : 1;
    // A path may keep to the first listener.
    const bool firstListenerOnly = params.positioningType == 2 && (params.positioningFlags & 0x10);
    const uint32_t listeners = (firstListenerOnly ? 1u
                                : object          ? object->ActiveListeners()
                                                  : 1u) &
                               CSxLEngine::AudioListenerMask();
    const SxAttenuationParams none;
    const SxAttenuationParams& att = params.attenuation ? *params.attenuation : none;
    const bool cone = att.coneEnabled && (params.positioningType == 3 ||
                                          (params.positioningType == 2 && (params.positioningFlags & 0x10)));
    const uint32_t rule = CSxLEngine::PanningRule();
    float nearest = -1.0f;
    float lfeTerm = kUnset;
    out.coneLowPass = 1.0f;
    float dryLowPass = 100.0f, wetLowPass = 100.0f;
    for (uint32_t l = 0; l < SxMaxListeners; ++l) {
        if (!(listeners & (1u << l))) continue;
        const SxListener& listener = CSxLEngine::GetListener(l);
        const float scale =
            Scaling(object ? object->AttenuationScalingFactor() : 1.0f) * Scaling(listener.scalingFactor);
        float listenerCone = 0.0f;
        for (uint32_t p = 0; p < positionCount; ++p) {
            const SxSoundPosition& emitter = positions[p];
            const SxVector toEmitter = SxMath::Sub(emitter.position, listener.position);
            const float rawDistance = SxMath::Length(toEmitter);
            const float distance = rawDistance / scale;
            float dryVolume = CurveValue(att.dryVolume, distance, 0.0f);
            const float auxVolume = att.auxVolume ? CurveValue(att.auxVolume, distance, 0.0f) : dryVolume;
            const float spread = std::clamp(CurveValue(att.spread, distance, 0.0f), 0.0f, 100.0f);
            nearest = nearest < 0.0f ? distance : std::min(nearest, distance);
            float coneLowPass = 0.0f;
            if (cone) {
                // The angle between the emitter's front and the way to the listener.
                const float cosine =
                    rawDistance > 0.0f ? -SxMath::Dot(emitter.orientation, toEmitter) / rawDistance : 1.0f;
                const float angle = std::acos(std::clamp(cosine, -1.0f, 1.0f));
                const float factor = SxMath::Interpolate(att.coneInside, 0.0f, att.coneOutside, 1.0f, angle);
                dryVolume += factor * att.coneOutsideVolume;
                listenerCone = std::max(listenerCone, factor);
                coneLowPass = LowPassValue(factor * att.coneOutsideLowPass);
            }
            const uint8_t obstructionLevel = object ? object->Obstruction(l) : 0;
            const uint8_t occlusionLevel = object ? object->Occlusion(l) : 0;
            const float obstruction = ObsOcc(SxCurve_Obstruction, SxCurveTarget_Volume, obstructionLevel);
            const float occlusion = ObsOcc(SxCurve_Occlusion, SxCurveTarget_Volume, occlusionLevel);
            const float distanceLowPass = LowPassValue(CurveValue(att.lowPass, distance, 0.0f));
            const float occlusionLowPass =
                LowPassValue(ObsOcc(SxCurve_Occlusion, SxCurveTarget_LowPass, occlusionLevel));
            const float obstructionLowPass =
                LowPassValue(ObsOcc(SxCurve_Obstruction, SxCurveTarget_LowPass, obstructionLevel));
            const float wetHere = std::max(distanceLowPass, occlusionLowPass);
            wetLowPass = std::min(wetLowPass, wetHere);
            dryLowPass = std::min(dryLowPass, std::max({wetHere, obstructionLowPass, coneLowPass}));
            lfeTerm = std::max(lfeTerm, dryVolume + obstruction + occlusion);
            float pan[SxVoiceVolumes::kMaxChannels][8];
            if (listener.spatialized) {
                const SxVector turned = SxMath::Transform(listener.matrix, toEmitter);
                SxPanning::Spread(inputs, spread, turned.x, turned.z, params.centre, rule, pan);
            } else {
                for (uint32_t c = 0; c < inputs; ++c) std::copy(listener.volumes, listener.volumes + 8, pan[c]);
            }
            for (uint32_t c = 0; c < inputs; ++c)
                for (uint32_t s = 0; s < 6; ++s) {
                    dry[c][s] = std::max(dry[c][s], pan[c][s] + dryVolume + obstruction + occlusion);
                    wet[c][s] = std::max(wet[c][s], pan[c][s] + auxVolume + occlusion);
                }
        }
        out.coneLowPass = std::min(out.coneLowPass, listenerCone);
    }
    if (nearest < 0.0f) {
        out.coneLowPass = 0.0f;
        dryLowPass = wetLowPass = 0.0f;
    }
    out.dryLowPass = dryLowPass;
    out.wetLowPass = wetLowPass;
    out.distance = std::max(nearest, 0.0f);
    return lfeTerm;
}

}  // namespace

void SxComputeSpeakerVolumes(const SxVoiceVolumeParams& params, SxVoiceVolumes& out) {
    out = SxVoiceVolumes();
    const bool lfeInput = (params.channelMask & SxChannelBitLFE) != 0;
    const uint32_t inputs = std::min<uint32_t>(SxChannelCount(params.channelMask & ~SxChannelBitLFE), 5);
    out.channels = inputs + (lfeInput ? 1 : 0);
    const float volume = VolumeTerm(params.volumeDb);
    const float lfe = VolumeTerm(params.lfeDb);

    float dry[SxVoiceVolumes::kMaxChannels][8];
    float wet[SxVoiceVolumes::kMaxChannels][8];
    for (uint32_t c = 0; c < SxVoiceVolumes::kMaxChannels; ++c) {
        std::fill(dry[c], dry[c] + 8, kUnset);
        std::fill(wet[c], wet[c] + 8, kUnset);
    }
    float lfeTerm = 0.0f;
    if (params.positioned) {
        lfeTerm = Positioned(params, inputs, dry, wet, out);
    } else {
        float amplitudes[SxVoiceVolumes::kMaxChannels][8];
        SxPanning::TwoDimensional(params.channelMask, params.pan, params.frontRear, params.centre,
                                  CSxLEngine::PanningRule(), params.panningEnabled, amplitudes);
        for (uint32_t c = 0; c < inputs; ++c)
            for (uint32_t s = 0; s < 6; ++s) dry[c][s] = wet[c][s] = 20.0f * SxMath::FastLog10(amplitudes[c][s]);
    }

    const float dryLevel = params.feedsEnvironmental && params.gameObject ? params.gameObject->DryLevel() : 1.0f;
    bool audible = false;
    for (uint32_t c = 0; c < inputs; ++c) {
        for (uint32_t s = 0; s < 5; ++s) {
            out.dry[c][s] = SxMath::DbToLinear(dry[c][s] + volume) * dryLevel;
            out.wet[c][s] = params.feedsEnvironmental ? SxMath::DbToLinear(wet[c][s] + volume) : 0.0f;
            audible = audible || out.dry[c][s] > kInaudible || out.wet[c][s] > kInaudible;
        }
    }
    if (lfeInput) {
        out.dry[inputs][SxPanning::kLFE] = SxMath::DbToLinear(lfeTerm + lfe) * dryLevel;
        if (params.feedsEnvironmental) out.wet[inputs][SxPanning::kLFE] = SxMath::DbToLinear(lfeTerm + lfe);
        audible = audible || out.dry[inputs][SxPanning::kLFE] > kInaudible;
    }
    if (params.positioned)
        out.inaudible = !audible;
    else
        out.inaudible = !(volume > -96.3f) && (!params.hasLfe || !(lfe > -96.3f));
}

void SxNotifySpeakerVolumes(SxPlayingID playingID, SxVoiceVolumes& volumes, bool feedsEnvironmental) {
    if (!g_pPlayingMgr) return;
    SxSpeakerVolumeMatrixCallbackInfo info{};
    info.pVolumesDry = &volumes.dry[0][0];
    info.pVolumesWet = feedsEnvironmental ? &volumes.wet[0][0] : nullptr;
    info.inputChannels = volumes.channels;
    info.outputChannels = SxChannelCount(CSxLEngine::ChannelMask());
    g_pPlayingMgr->NotifySpeakerVolumes(playingID, &info);
}

}  // namespace SX
