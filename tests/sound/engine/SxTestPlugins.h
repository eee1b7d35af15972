#pragma once
// Small plug-ins for the engine's tests: a gain effect whose parameter block is one f32 in dB,
// with counters of what the host asked of it, and creators that fail on purpose.
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/engine/plugin/SxPluginTable.h"

namespace sxtest {

using namespace SX;

constexpr uint32_t kTestCompany = 64;
constexpr uint32_t kGainPluginID = 7;
constexpr uint32_t kFailingPluginID = 8;
constexpr uint32_t kGainKey = SxPluginKey(SxPluginType_Effect, kTestCompany, kGainPluginID);
constexpr uint32_t kFailingKey = SxPluginKey(SxPluginType_Effect, kTestCompany, kFailingPluginID);

// The gain plug-in's parameter block: its gain in dB.
inline std::vector<uint8_t> DbBlock(float db) {
    std::vector<uint8_t> block(4);
    std::memcpy(block.data(), &db, 4);
    return block;
}

template <typename T>
T* Make(ISxPluginMemAlloc* allocator) {
    void* memory = allocator->Malloc(sizeof(T));
    return memory ? new (memory) T() : nullptr;
}

template <typename T>
SXRESULT Destroy(T* object, ISxPluginMemAlloc* allocator) {
    object->~T();
    allocator->Free(object);
    return SX_Success;
}

struct GainCounters {
    int executes = 0, resets = 0, inits = 0, terms = 0;
    bool emitNaN = false;
};
inline GainCounters g_gain;

class TestGainParams final : public ISxPluginParam {
public:
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override {
        if (paramID != 0 || size != sizeof(float)) return SX_InvalidParameter;
        float db;
        std::memcpy(&db, value, sizeof db);
        gain = SxParamDbToLinear(db);
        changed = 1;
        return SX_Success;
    }
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override {
        TestGainParams* copy = Make<TestGainParams>(allocator);
        if (copy) {
            copy->gain = gain;
            copy->changed = 1;
        }
        return copy;
    }
    SXRESULT Init(ISxPluginMemAlloc*, const void* block, uint32_t size) override {
        if (size == 0) {
            gain = 1.0f;
            return SX_Success;
        }
        return SetParamsBlock(block, size);
    }
    SXRESULT Term(ISxPluginMemAlloc* allocator) override { return Destroy(this, allocator); }
    // A block of any other size than its one field is refused: the defaults stay.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override {
        SxParamsBlockReader reader(block, size, sizeof(float));
        gain = SxParamDbToLinear(reader.ReadF32(0.0f));
        changed = 1;
        return reader.Result();
    }
    float gain = 1.0f;
    uint8_t changed = 0;
};

class TestGainFX final : public ISxInPlaceEffectPlugin {
public:
    SXRESULT Init(ISxPluginMemAlloc*, ISxEffectPluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override {
        ++g_gain.inits;
        m_context = context;
        m_params = static_cast<TestGainParams*>(params);
        m_format = format;
        return SX_Success;
    }
    SXRESULT Term(ISxPluginMemAlloc* allocator) override {
        ++g_gain.terms;
        return Destroy(this, allocator);
    }
    SXRESULT Reset() override {
        ++g_gain.resets;
        return SX_Success;
    }
    SXRESULT GetPluginInfo(SxPluginInfo& info) override {
        info.type = SxPluginType_Effect;
        info.inPlace = 1;
        info.reserved = 0;
        return SX_Success;
    }
    void Execute(SxAudioBuffer* buffer) override {
        ++g_gain.executes;
        for (uint32_t c = 0; c < buffer->Channels(); ++c) {
            ApplyGain(buffer->Channel(c), buffer->validFrames, m_params->gain);
            if (g_gain.emitNaN) buffer->Channel(c)[3] = std::numeric_limits<float>::quiet_NaN();
        }
    }
    SXRESULT TimeSkip(uint32_t) override { return SX_DataReady; }

    ISxEffectPluginContext* m_context = nullptr;
    TestGainParams* m_params = nullptr;
    SxAudioFormat m_format;
};

inline ISxPlugin* CreateGainFX(ISxPluginMemAlloc* allocator) { return Make<TestGainFX>(allocator); }
inline ISxPluginParam* CreateGainFXParams(ISxPluginMemAlloc* allocator) { return Make<TestGainParams>(allocator); }
inline ISxPlugin* CreateNothing(ISxPluginMemAlloc*) { return nullptr; }

inline void RegisterTestPlugins() {
    SxPluginTable::RegisterPlugin(SxPluginType_Effect, kTestCompany, kGainPluginID, CreateGainFX, CreateGainFXParams);
    SxPluginTable::RegisterPlugin(SxPluginType_Effect, kTestCompany, kFailingPluginID, CreateNothing,
                                  CreateGainFXParams);
    g_gain = GainCounters();
}

}  // namespace sxtest
