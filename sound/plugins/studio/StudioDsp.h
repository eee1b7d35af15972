#pragma once
// The small library the Studio effects share: a memory arena from which per-channel DSP
// records are carved, the stage header that owns one stage's records, the sample-rate
// contexts of time constants and filter designs, and the biquad forms the stages run.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

// One block from a plug-in allocator, handed out front to back.
class DSPMemoryArena {
public:
    // Zeroed block of size bytes; SX_InsufficientMemory when the allocator has none.
    SXRESULT Allocate(ISxPluginMemAlloc* allocator, uint32_t size);
    // Gives the block back; nothing when none was allocated.
    void Free(ISxPluginMemAlloc* allocator);
    void* GetBase(uint32_t* size = nullptr) const;
    // The next n bytes; the caller sized the block for every carve.
    void* Carve(uint32_t n);

private:
    uint32_t m_size = 0;
    uint8_t* m_base = nullptr;
    uint8_t* m_cursor = nullptr;
    uint8_t* m_end = nullptr;
};

// One stage's per-channel records, all of one type, back to back.
struct DSPStageHeader {
    uint32_t sampleRate = 44100;
    uint32_t channels = 1;
    void* records = nullptr;

    template <typename Record>
    static uint32_t SizeFor(uint32_t channelCount) {
        const uint64_t bytes = uint64_t(channelCount) * sizeof(Record);
        return bytes > UINT32_MAX ? UINT32_MAX : uint32_t(bytes);
    }
    // Carves the records of every channel; SX_InsufficientMemory when the arena has no block.
    template <typename Record>
    SXRESULT Init(DSPMemoryArena& arena, uint32_t channelCount, uint32_t rate) {
        sampleRate = rate;
        channels = channelCount;
        records = arena.Carve(SizeFor<Record>(channelCount));
        return records ? SX_Success : SX_InsufficientMemory;
    }
    template <typename Record>
    Record* RecordAt(uint32_t channel) const {
        return static_cast<Record*>(records) + channel;
    }
    bool HasRecords() const { return records != nullptr; }
};

// The sample rate that filter designs work at. Each effect instance owns its own, so that
// two instances at different rates never design with each other's rate.
struct StudioDesignContext {
    int32_t sampleRate = 44100;
    double invSampleRate = 1.0 / 44100.0;
    StudioDesignContext& Get(int32_t rate) {
        sampleRate = rate;
        invSampleRate = 1.0 / rate;
        return *this;
    }
};

// The sample rate that time constants are counted at; one per effect instance.
struct StudioTimeContext {
    int32_t sampleRate = 44100;
    StudioTimeContext& Get(int32_t rate) {
        sampleRate = rate;
        return *this;
    }
};

// 1 / n, or 1.0 (immediate) when n is at most one sample or not a number.
double ClampedReciprocal(double n);
// The per-sample factor c of g += c x (target - g) for a time constant in milliseconds.
double TimeToCoefficient(const StudioTimeContext& context, double ms);
// Milliseconds as a whole number of samples, truncated; negative or not-a-number gives 0.
int32_t TimeToSamples(const StudioTimeContext& context, double ms);

// A designed section in double precision: (b0 + b1 z^-1 + b2 z^-2) / (a0 + a1 z^-1 + a2 z^-2).
struct BiquadDesign {
    double b0 = 1, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
    static BiquadDesign Unity() { return BiquadDesign(); }
};

// A section as the processing loops hold it (a0 = 1), and its direct-form-I history.
struct BiquadCoefs {
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};
struct BiquadState {
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

inline BiquadCoefs ToCoefs(const BiquadDesign& d) {
    return {float(d.b0), float(d.b1), float(d.b2), float(d.a1), float(d.a2)};
}

inline float RunSection(const BiquadCoefs& c, BiquadState& s, float x) {
    const float y = c.b0 * x + c.b1 * s.x1 + c.b2 * s.x2 - c.a1 * s.y1 - c.a2 * s.y2;
    s.x2 = s.x1;
    s.x1 = x;
    s.y2 = s.y1;
    s.y1 = y;
    return y;
}

}  // namespace SX
