#pragma once
// The engine's C run-time style generator: RAND_MAX 32767, state per thread.
namespace platform {

constexpr int kCrtRandMax = 32767;
void crt_srand(unsigned seed);
int crt_rand();

}  // namespace platform
