#include "core/Random.h"

#include <cmath>
#include <utility>

#include "platform/os/Random.h"

namespace SD {
namespace {

// One state per thread: the particle updates draw from the worker threads at the same time
// as each other, and every thread starts from the published values until it is seeded.
thread_local RandomState g_state = kRandomStartState;

// Adding the remainder to the lower bound can round up to the upper one; the range is
// half-open, so that case gives the largest value below it.
template <class T>
T BelowHigh(T value, T low, T high) {
    return value < high ? value : std::nextafter(high, low);
}

// The remainder of x (the raw output, in [0, 2^17)) over a positive span, exactly as std::fmod
// gives it: the quotient's integer part and the remainder taken in one fused multiply-add are
// exact while the quotient stays below 2^52, and a quotient the division rounded up to the next
// integer leaves a remainder below zero, one span short. The particles draw thousands of values
// a frame; std::fmod divides bit by bit, a step per bit of the quotient.
double Remainder(double x, double span) {
    const double quotient = x / span;
    if (quotient < 1.0) return x;  // an infinite span too
    if (!(quotient < 0x1p52)) return std::fmod(x, span);
    const double r = std::fma(-std::trunc(quotient), span, x);
    return r < 0.0 ? r + span : r;
}

}  // namespace

void SeedRandom() {
    int r1 = platform::crt_rand();
    int r2 = platform::crt_rand();
    int r3 = platform::crt_rand();
    int r4 = platform::crt_rand();
    if (r4 != 0) g_state.x = static_cast<uint32_t>(r4);
    if (r3 != 0) {
        g_state.y = static_cast<uint32_t>(r3);
        g_state.z = static_cast<uint32_t>(r2);
        g_state.w = static_cast<uint32_t>(r1);
    }
}

void SetRandomState(const RandomState& state) { g_state = state; }
RandomState GetRandomState() { return g_state; }

uint32_t RandomNext() {
    uint32_t t = g_state.x ^ (g_state.x << 11);
    g_state.x = g_state.y;
    g_state.y = g_state.z;
    g_state.z = g_state.w;
    g_state.w = g_state.w ^ (g_state.w >> 19) ^ t ^ (t >> 8);
    return g_state.w;
}

double RandomRaw() { return static_cast<double>(RandomNext()) * (1.0 / 32768.0); }

float Rand() { return static_cast<float>(RandomRaw()); }

unsigned RandomInt(unsigned a, unsigned b) {
    if (a > b) std::swap(a, b);
    uint32_t span = b - a + 1u;
    uint32_t out = RandomNext();
    return span == 0 ? out : out % span + a;
}

float RandomFloat(float a, float b) {
    if (a > b) std::swap(a, b);
    double raw = RandomRaw();
    if (a == b) return a;
    return BelowHigh(static_cast<float>(Remainder(raw, static_cast<double>(b - a))) + a, a, b);
}

double RandomDouble(double a, double b) {
    if (a > b) std::swap(a, b);
    double raw = RandomRaw();
    if (a == b) return a;
    return BelowHigh(Remainder(raw, b - a) + a, a, b);
}

Vec3 RandomVec3(float xMin, float xMax, float yMin, float yMax, float zMin, float zMax) {
    Vec3 v;
    v.z = RandomFloat(zMin, zMax);
    v.y = RandomFloat(yMin, yMax);
    v.x = RandomFloat(xMin, xMax);
    return v;
}

Vec4 RandomVec4(float xMin, float xMax, float yMin, float yMax, float zMin, float zMax, float wMin, float wMax) {
    Vec4 v;
    v.w = RandomFloat(wMin, wMax);
    v.z = RandomFloat(zMin, zMax);
    v.y = RandomFloat(yMin, yMax);
    v.x = RandomFloat(xMin, xMax);
    return v;
}

}  // namespace SD
