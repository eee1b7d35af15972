// The lower engine's eight listeners.
#include <cmath>

#include "sound/engine/listener/SxPanning.h"
#include "sound/engine/lower/CSxLEngine.h"

namespace SX {

namespace {

SxListener g_listeners[SxMaxListeners];
uint32_t g_audioMask = 0xFFFFFFFFu;
uint32_t g_motionMask = 0;

bool IsFinite(const SxVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The rotation that takes a direction into the listener's panning plane: rows side, top,
// front; for the speaker rule turned 45 degrees about the vertical so that the corner
// speakers lie on the axes.
void BuildMatrix(SxListener& listener, uint32_t rule) {
    SxMath::SxMatrix3 m;
    const SxVector side = SxMath::Cross(listener.top, listener.front);
    const SxVector rows[3] = {side, listener.top, listener.front};
    for (int r = 0; r < 3; ++r) {
        m.m[r][0] = rows[r].x;
        m.m[r][1] = rows[r].y;
        m.m[r][2] = rows[r].z;
    }
    if (rule == SxPanning::kRuleSpeakers) {
        SxMath::SxMatrix3 turn;
        turn.m[0][0] = 0.7071f;
        turn.m[0][2] = 0.7071f;
        turn.m[1][1] = 1.0f;
        turn.m[2][0] = -0.7071f;
        turn.m[2][2] = 0.7071f;
        m = SxMath::Multiply(turn, m);
    }
    listener.matrix = m;
}

}  // namespace

void CSxLEngine::SetPanningRule(uint32_t rule) {
    s_panningRule = rule;
    for (SxListener& listener : g_listeners) BuildMatrix(listener, rule);
}

void CSxLEngine::InitListeners() {
    for (SxListener& listener : g_listeners) {
        listener = SxListener();
        BuildMatrix(listener, s_panningRule);
    }
    g_audioMask = 0xFFFFFFFFu;
    g_motionMask = 0;
}

SXRESULT CSxLEngine::SetListenerPosition(uint32_t index, const SxVector& front, const SxVector& top,
                                         const SxVector& position) {
    if (index >= SxMaxListeners) return SX_InvalidParameter;
    if (!IsFinite(front) || !IsFinite(top) || !IsFinite(position)) return SX_InvalidParameter;
    SxListener& listener = g_listeners[index];
    // A front of zero length keeps the listener looking ahead; a top of zero length, or one
    // along the front, takes the nearest upright vector: the panning plane is always defined.
    SxVector f = SxMath::Normalize(front);
    if (SxMath::Length(f) == 0.0f) f = {0.0f, 0.0f, 1.0f};
    auto orthogonal = [&f](const SxVector& v) {
        const float along = SxMath::Dot(v, f);
        return SxMath::Normalize(SxVector{v.x - along * f.x, v.y - along * f.y, v.z - along * f.z});
    };
    SxVector t = orthogonal(top);
    if (SxMath::Length(t) < 0.5f) t = orthogonal({0.0f, 1.0f, 0.0f});
    if (SxMath::Length(t) < 0.5f) t = orthogonal({0.0f, 0.0f, -1.0f});
    listener.front = f;
    listener.top = t;
    listener.position = position;
    BuildMatrix(listener, s_panningRule);
    return SX_Success;
}

SXRESULT CSxLEngine::SetListenerSpatialization(uint32_t index, bool spatialized, const float* volumes) {
    if (index >= SxMaxListeners) return SX_InvalidParameter;
    SxListener& listener = g_listeners[index];
    listener.spatialized = spatialized ? 1 : 0;
    if (volumes) {
        for (int s = 0; s < 6; ++s) listener.volumes[s] = volumes[s];
        listener.volumes[6] = listener.volumes[7] = 0.0f;
    }
    return SX_Success;
}

SXRESULT CSxLEngine::SetListenerScalingFactor(uint32_t index, float factor) {
    if (index >= SxMaxListeners) return SX_InvalidParameter;
    g_listeners[index].scalingFactor = factor;
    return SX_Success;
}

float CSxLEngine::GetListenerScalingFactor(uint32_t index) {
    return index < SxMaxListeners ? g_listeners[index].scalingFactor : 1.0f;
}

SXRESULT CSxLEngine::SetListenerPipeline(uint32_t index, bool audio, bool motion) {
    if (index >= SxMaxListeners) return SX_InvalidParameter;
    const uint32_t bit = 1u << index;
    g_audioMask = audio ? (g_audioMask | bit) : (g_audioMask & ~bit);
    g_motionMask = motion ? (g_motionMask | bit) : (g_motionMask & ~bit);
    return SX_Success;
}

const SxListener& CSxLEngine::GetListener(uint32_t index) { return g_listeners[index < SxMaxListeners ? index : 0]; }
uint32_t CSxLEngine::AudioListenerMask() { return g_audioMask; }
uint32_t CSxLEngine::MotionListenerMask() { return g_motionMask; }

}  // namespace SX
