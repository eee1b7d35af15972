#pragma once
// The engine's xorshift128 generator. Each thread draws from a state of its own, so the
// worker threads may draw concurrently; the state functions act on the calling thread's.
#include <cstdint>

#include "core/Vector.h"

namespace SD {

struct RandomState {
    uint32_t x, y, z, w;
};

// The published start values.
constexpr RandomState kRandomStartState{123456789u, 362436069u, 521288629u, 88675123u};

// Seeds from four successive C run-time values (platform::crt_rand, itself per thread); zeros
// keep the start values. Start-up seeds the main thread, each worker seeds itself as it starts.
void SeedRandom();
void SetRandomState(const RandomState& state);
RandomState GetRandomState();

// One step of the generator.
uint32_t RandomNext();

// The next output times 2^-15: a value in [0, 131072), exact in double precision.
double RandomRaw();
// The same value as a float; callers take it modulo their range.
float Rand();

// [min, max] both ends included; the full unsigned range (span wraps to 0) gives the raw output.
unsigned RandomInt(unsigned a, unsigned b);
// [min, max); equal bounds give that bound.
float RandomFloat(float a, float b);
double RandomDouble(double a, double b);

// One RandomFloat per pair of bounds (either order), drawn from the last component to the
// first, so the first draw of the sequence always lands in the last component.
Vec3 RandomVec3(float xMin, float xMax, float yMin, float yMax, float zMin, float zMax);
Vec4 RandomVec4(float xMin, float xMax, float yMin, float yMax, float zMin, float zMax, float wMin, float wMax);

}  // namespace SD
