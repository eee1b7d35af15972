#pragma once
// The filter sections of the DeviceSim, designed in double precision at the rate of a design
// context. Frequencies are limited to [rate / 4800, rate x 11/24]; every design except the
// band-pass is normalised to a0 = 1.
#include "sound/plugins/studio/StudioDsp.h"

namespace SX {

// f x (1 / rate) limited to [1/4800, 11/24]; not a number gives the lower limit.
double NormalisedFrequency(const StudioDesignContext& context, double f);

BiquadDesign DesignHighPass1(const StudioDesignContext& context, double f);
BiquadDesign DesignLowPass1(const StudioDesignContext& context, double f);
// Damping d: 1.414 is Butterworth-like, smaller values resonate.
BiquadDesign DesignHighPass2(const StudioDesignContext& context, double f, double d);
BiquadDesign DesignLowPass2(const StudioDesignContext& context, double f, double d);
// A first-order high-pass at f1 times a first-order low-pass at f2.
BiquadDesign DesignBandPass1(const StudioDesignContext& context, double f1, double f2);
// Peaking sections, unity at 0 Hz; the shaping constant (18, or 12 for the wide one) sets how
// far the level above the peak follows the gain.
BiquadDesign DesignPeak(const StudioDesignContext& context, double f, double q, double gainDb);
BiquadDesign DesignPeakWide(const StudioDesignContext& context, double f, double q, double gainDb);
// Shelves of shape b: the low shelf has the gain at 0 Hz, the high shelf at the Nyquist frequency.
BiquadDesign DesignLowShelf(const StudioDesignContext& context, double f, double b, double gainDb);
BiquadDesign DesignHighShelf(const StudioDesignContext& context, double f, double b, double gainDb);

}  // namespace SX
