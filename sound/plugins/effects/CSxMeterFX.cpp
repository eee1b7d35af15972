#include "sound/plugins/effects/CSxMeterFX.h"

#include <cmath>

#include "sound/engine/SxBehavioralExtensions.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/plugins/effects/SxFxObject.h"

namespace SX {

namespace {
float Time(float seconds, float fallback) { return SxSanitizeParam(seconds, 0.0f, 60.0f, fallback); }
float Db(float db, float fallback) { return SxSanitizeParam(db, -200.0f, 200.0f, fallback); }
}  // namespace

// One for the whole engine: created by the first meter, gone at the first frame after the
// last. Its record and entries come from the default pool, not from a plug-in's allocator.
class CSxMeterRTPCWriter {
public:
    struct Entry {
        uint32_t gameParamID;
        float level;
    };
    uint32_t liveMeters = 0;
    Entry* entries = nullptr;
    uint32_t count = 0;
    uint32_t capacity = 0;

    // Makes room for one value per live meter; when that fails, values beyond the old room
    // are dropped.
    void AddMeter() {
        ++liveMeters;
        if (liveMeters <= capacity) return;
        void* grown = MemoryMgr::Malloc(g_DefaultPoolId, liveMeters * sizeof(Entry));
        if (!grown) return;
        Entry* old = entries;
        if (old) {
            std::memcpy(grown, old, count * sizeof(Entry));
            MemoryMgr::Free(g_DefaultPoolId, old);
        }
        entries = static_cast<Entry*>(grown);
        capacity = liveMeters;
    }
    void Post(uint32_t gameParamID, float level) {
        if (count < capacity) entries[count++] = Entry{gameParamID, level};
    }
};

namespace {
CSxMeterRTPCWriter* g_pMeterWriter = nullptr;

CSxMeterRTPCWriter* AcquireWriter() {
    if (g_pMeterWriter) return g_pMeterWriter;
    void* memory = MemoryMgr::Malloc(g_DefaultPoolId, sizeof(CSxMeterRTPCWriter));
    if (!memory) return nullptr;
    g_pMeterWriter = new (memory) CSxMeterRTPCWriter();
    SxBehavioralExtensions::Add(SxMeterWriterFrame);
    return g_pMeterWriter;
}
}  // namespace

void SxMeterWriterFrame(bool) {
    CSxMeterRTPCWriter* writer = g_pMeterWriter;
    if (!writer) return;
    CSxMeterRTPCWriter::Entry* e = writer->entries;
    for (uint32_t i = 0; i < writer->count; ++i) {
        for (uint32_t j = i + 1; j < writer->count;) {
            if (e[j].gameParamID != e[i].gameParamID) {
                ++j;
                continue;
            }
            if (e[j].level > e[i].level) e[i].level = e[j].level;
            e[j] = e[--writer->count];  // the entry moved in is looked at in turn
        }
    }
    if (g_pRTPCMgr) {
        const SxRTPCTransitionParams now{0, SxCurve_Linear};
        for (uint32_t i = 0; i < writer->count; ++i)
            g_pRTPCMgr->SetRTPCInternal(e[i].gameParamID, e[i].level, nullptr, now, SxValueMeaning_Independent);
    }
    writer->count = 0;
    // Removal waits until this walk is over: meters that went during the frame only lowered
    // the count.
    if (writer->liveMeters == 0) {
        SxBehavioralExtensions::Remove(SxMeterWriterFrame);
        if (writer->entries) MemoryMgr::Free(g_DefaultPoolId, writer->entries);
        g_pMeterWriter = nullptr;
        writer->~CSxMeterRTPCWriter();
        MemoryMgr::Free(g_DefaultPoolId, writer);
    }
}

bool SxMeterWriterExists() { return g_pMeterWriter != nullptr; }

SXRESULT CSxMeterFXParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    float f = 0.0f;
    uint32_t u = 0;
    switch (paramID) {
        case 0:
        case 1:
        case 4:
        case 5:
        case 6:
            if (!SxFxReadValue(value, size, f)) return SX_InvalidParameter;
            break;
        case 2:
        case 32767:
            if (!SxFxReadValue(value, size, u)) return SX_InvalidParameter;
            break;
        default:
            return SX_InvalidParameter;
    }
    const SxMeterFXParams defaults;
    switch (paramID) {
        case 0:
            attack = Time(f, defaults.attack);
            break;
        case 1:
            release = Time(f, defaults.release);
            break;
        case 4:
            minLevel = Db(f, defaults.minLevel);
            break;
        case 5:
            maxLevel = Db(f, defaults.maxLevel);
            break;
        case 6:
            hold = Time(f, defaults.hold);
            break;
        case 2:
            mode = u != 0;
            break;
        default:
            gameParamID = u;
            break;
    }
    return SX_Success;
}

ISxPluginParam* CSxMeterFXParams::Clone(ISxPluginMemAlloc* allocator) {
    CSxMeterFXParams* copy = SxFxNew<CSxMeterFXParams>(allocator);
    if (copy) static_cast<SxMeterFXParams&>(*copy) = *this;
    return copy;
}

SXRESULT CSxMeterFXParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size != 0) return SetParamsBlock(block, size);
    static_cast<SxMeterFXParams&>(*this) = SxMeterFXParams();
    return SX_Success;
}

SXRESULT CSxMeterFXParams::Term(ISxPluginMemAlloc* allocator) { return SxFxDelete(this, allocator); }

SXRESULT CSxMeterFXParams::SetParamsBlock(const void* block, uint32_t size) {
    SxParamsBlockReader reader(block, size, SxMeterFXParamsBlockSize);
    const SxMeterFXParams defaults;
    static_cast<SxMeterFXParams&>(*this) = defaults;
    if (!reader.IsValid()) return reader.Result();
    attack = Time(reader.ReadF32(), defaults.attack);
    release = Time(reader.ReadF32(), defaults.release);
    minLevel = Db(reader.ReadF32(), defaults.minLevel);
    maxLevel = Db(reader.ReadF32(), defaults.maxLevel);
    hold = Time(reader.ReadF32(), defaults.hold);
    mode = reader.ReadU8();
    gameParamID = reader.ReadU32();
    return SX_Success;
}

SXRESULT CSxMeterFX::Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                          SxAudioFormat& format) {
    m_params = static_cast<CSxMeterFXParams*>(params);
    m_context = context;
    m_allocator = allocator;
    m_sampleRate = format.sampleRate;
    Reset();  // a host need not reset before the first buffer
    m_writer = AcquireWriter();
    if (!m_writer) return SX_Fail;
    m_writer->AddMeter();
    return SX_Success;
}

SXRESULT CSxMeterFX::Term(ISxPluginMemAlloc* allocator) {
    if (m_writer) --m_writer->liveMeters;  // the writer itself goes at its next frame
    m_writer = nullptr;
    return SxFxDelete(this, allocator);
}

SXRESULT CSxMeterFX::Reset() {
    const float minimum = m_params ? m_params->minLevel : SxMeterFXParams().minLevel;
    m_holdTimer = 0.0f;
    m_held = m_output = minimum;
    for (float& slot : m_slots) slot = minimum;
    return SX_Success;
}

SXRESULT CSxMeterFX::GetPluginInfo(SxPluginInfo& info) {
    info.type = SxPluginType_Effect;
    info.inPlace = 1;
    info.reserved = 0;
    return SX_Success;
}

float CSxMeterFX::Level(const SxAudioBuffer& buffer, const SxMeterFXParams& params) const {
    if (buffer.validFrames == 0) return params.minLevel;
    const uint32_t channels = buffer.Channels();
    float value = 0.0f;
    for (uint32_t c = 0; c < channels; ++c) {
        const float* x = buffer.Channel(c);
        if (params.mode == 0) {
            for (uint32_t k = 0; k < buffer.validFrames; ++k) value = std::fmax(value, std::fabs(x[k]));
        } else {
            double sum = 0.0;
            for (uint32_t k = 0; k < buffer.validFrames; ++k) sum += double(x[k]) * x[k];
            value = std::fmax(value, static_cast<float>(sum / buffer.validFrames));
        }
    }
    if (params.mode != 0) value = std::sqrt(value);
    float level = 20.0f * std::log10(value);
    if (!(level >= params.minLevel)) level = params.minLevel;  // also silence and not-a-number
    if (level > params.maxLevel) level = params.maxLevel;
    return level;
}

void CSxMeterFX::Ballistics(float level, float dt, const SxMeterFXParams& params) {
    const float minimum = params.minLevel;
    if (level > m_output) {
        m_holdTimer = 0.0f;
        for (float& slot : m_slots) slot = minimum;
        m_output = params.attack > 0.0f ? std::fmin(level, m_output + 10.0f * dt / params.attack) : level;
        m_held = m_output;
        return;
    }
    m_holdTimer += dt;
    if (m_holdTimer >= params.hold) {
        // The loudest of the reading and the hold slots; a later slot wins a tie, 8 is the reading.
        float best = level;
        uint32_t index = 8;
        for (uint32_t k = 0; k < 8; ++k)
            if (m_slots[k] >= best) {
                best = m_slots[k];
                index = k;
            }
        m_holdTimer = static_cast<float>(8 - index) * params.hold * (1.0f / 9.0f);
        uint32_t to = 0;
        for (uint32_t from = index + 1; from < 8; ++from) m_slots[to++] = m_slots[from];
        for (; to < 8; ++to) m_slots[to] = minimum;
        m_held = best;
    } else {
        const int k = static_cast<int>(m_holdTimer / params.hold * 8.0f + 0.5f);
        if (k >= 1 && k <= 8 && level > m_slots[k - 1]) m_slots[k - 1] = level;
        if (level > m_held) m_held = level;
    }
    m_output = params.release > 0.0f ? std::fmax(m_held, m_output - 10.0f * dt / params.release) : m_held;
}

void CSxMeterFX::Execute(SxAudioBuffer* buffer) {
    const SxMeterFXParams params = *m_params;
    const float dt = m_sampleRate ? static_cast<float>(buffer->maxFrames) / static_cast<float>(m_sampleRate) : 0.0f;
    Ballistics(Level(*buffer, params), dt, params);
    if (!std::isfinite(m_output) || !std::isfinite(m_held)) Reset();
    if (buffer->state == SX_NoMoreData && m_output > params.minLevel) {
        buffer->ZeroFillToMaxFrames();
        buffer->state = SX_DataReady;
    }
    if (params.gameParamID != 0 && m_writer) m_writer->Post(params.gameParamID, m_output);
}

ISxPlugin* CreateMeterFX(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxMeterFX>(allocator); }
ISxPluginParam* CreateMeterFXParams(ISxPluginMemAlloc* allocator) { return SxFxNew<CSxMeterFXParams>(allocator); }

}  // namespace SX
