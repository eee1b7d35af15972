#include "graphics/photon/WindStreamer.h"

#include <cmath>

#include "core/Random.h"
#include "core/Singleton.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "graphics/photon/EffectSupport.h"
#include "graphics/photon/MainThreadQueue.h"

namespace Aperture::Photon {
namespace {

SD::SplineHandle sharedCurves[WindStreamer::kCurveCount];

// One zigzag step: the next sway state and the offset it brings.
SD::Vec3 ZigZag(unsigned& z, float height) {
    float x = 0.0f, y = 0.0f;
    switch (z) {
        case 0:
            z = 2;
            x = Uniform(-3.0f, -2.0f);
            y = Uniform(-3.0f, -2.0f);
            break;
        case 1:
            z = 3;
            x = Uniform(2.0f, 3.0f);
            y = Uniform(-3.0f, -2.0f);
            break;
        case 2:
            z = 0;
            x = Uniform(2.0f, 3.0f);
            y = Uniform(2.0f, 3.0f);
            break;
        case 3:
            z = 1;
            x = Uniform(-3.0f, -2.0f);
            y = Uniform(2.0f, 3.0f);
            break;
        default:
            break;
    }
    return SD::Vec3(x, y, height);
}

// The handle's curve while the spline system that made it still lives; a handle outliving
// its system (the system is destroyed between levels) refers to nothing.
const SD::Spline* LiveCurve(const SD::SplineHandle& handle) {
    if (!handle.table || handle.table != SD::Singleton<SD::Spline_System>::Peek()) return nullptr;
    return handle.Get();
}

}  // namespace

bool WindStreamer::IsCurveLive(uint32_t index) { return index < kCurveCount && LiveCurve(sharedCurves[index]); }

const SD::SplineHandle& WindStreamer::SharedCurve(uint32_t index) { return sharedCurves[index]; }

void WindStreamer::RebuildStaleCurves() {
    SD::Spline_System& splines = SD::Spline_System::GetInstance();
    for (SD::SplineHandle& handle : sharedCurves) {
        if (LiveCurve(handle)) continue;
        unsigned z = SD::RandomInt(0, 3);
        SD::Vec3 points[4];
        for (int k = 0; k < 4; ++k) points[k] = ZigZag(z, 20.0f * static_cast<float>(k));
        handle = splines.CreateFourPointSpline(points, SD::SharedString());
    }
}

WindStreamer::WindStreamer() {
    SetID(VGetID());
    cullRadius = 1000.0f;
}

WindStreamer::Phase WindStreamer::GetPhase() const {
    if (state == &WindStreamer::StartGust) return Phase::kStartGust;
    if (state == &WindStreamer::Emit) return Phase::kEmit;
    if (state == &WindStreamer::Fade) return Phase::kFade;
    return Phase::kWait;
}

void WindStreamer::VInitialize(bool) {
    RebuildStaleCurves();
    waitTime = static_cast<float>(2u + SD::RandomNext() % 7u);
    state = &WindStreamer::Wait;
}

void WindStreamer::Update(float dt) {
    if (state) (this->*state)(CoreFrameTime(dt));
}

void WindStreamer::Wait(float t) {
    waitTimer += t;
    if (waitTimer > waitTime) {
        waitTimer = 0.0f;
        state = &WindStreamer::StartGust;
    }
}

void WindStreamer::StartGust(float) {
    curveIndex = SD::RandomInt(0, kCurveCount - 1);
    gust.Start(0.0f, kGustLength, kGustLength);
    state = &WindStreamer::Emit;
}

void WindStreamer::Emit(float) {
    const SD::SplineHandle& handle = sharedCurves[curveIndex];
    const SD::Spline* curve = LiveCurve(handle);
    if (!curve || gust.IsComplete()) {
        // The spline system lost the curve: build it again where that is safe.
        if (!curve) DeferToMainThread(&WindStreamer::RebuildStaleCurves);
        emitted = 0.0f;
        state = &WindStreamer::Fade;
        return;
    }
    const float v = gust.GetValue();
    static const SD::Mtx44 identity(SD::Mtx33::Identity());
    const SD::Mtx44& m = GetOwner() ? GetOwner()->GetTransform().GetGlobalMatrix() : identity;
    const long n = std::lround((v - emitted) * kParticlesPerUnit);
    const float t = gust.GetFraction();
    const SD::Vec4 color(3.0f, 3.0f, 3.0f, 0.25f * (1.0f - 2.0f * std::fabs(t - 0.5f)));
    const SD::Spline_System& splines = *handle.table;
    for (long k = 1; k <= n; ++k) {
        const double s = emitted + static_cast<double>(k) * (v - emitted) / static_cast<double>(n);
        const SD::Vec3 p = curve->GetPointAtLength(s);
        const SD::Vec3 d = splines.GetCurvatureAtTime(*curve, s);
        EmitOne(m.TransformPoint(p), 0.5f + 0.2f * d.Length(), color);
    }
    emitted = v;
}

// A full pool keeps what it has: the rest of the gust is not laid.
void WindStreamer::EmitOne(const SD::Vec3& position, float size, const SD::Vec4& color) {
    if (particleCount >= kMaxParticles || writeIndex >= kMaxParticles) return;
    Particle& p = particles[writeIndex];
    p.position = position;
    p.size = size;
    p.color = color;
    p.slice = 1.0f;
    ++writeIndex;
    ++particleCount;
}

void WindStreamer::Fade(float t) {
    const long remove = std::lround(t * kParticlesPerUnit);
    particleCount = remove >= static_cast<long>(particleCount) ? 0 : particleCount - static_cast<uint32_t>(remove);
    if (particleCount == 0) {
        writeIndex = 0;
        waitTime = static_cast<float>(SD::RandomInt(2, 8));
        state = &WindStreamer::Wait;
    }
}

}  // namespace Aperture::Photon
