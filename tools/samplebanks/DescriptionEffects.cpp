// The verbs that write effects (share sets that buses and sounds insert) and synthesised sources
// (custom effects a sound names as its media), each as its plug-in reads its parameters.
#include <cmath>
#include <map>

#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "tools/samplebanks/DescriptionVerbs.h"

namespace samplebanks {

namespace {

constexpr uint32_t Effect(uint32_t company, uint32_t plugin) {
    return SX::SxPluginKey(SX::SxPluginType_Effect, company, plugin);
}
constexpr uint32_t kCompressor = Effect(0, 108);
constexpr uint32_t kExpander = Effect(0, 109);
constexpr uint32_t kPeakLimiter = Effect(0, 110);
constexpr uint32_t kParametricEQ = Effect(0, 105);
constexpr uint32_t kDelay = Effect(0, 106);
constexpr uint32_t kRoomReverb = Effect(0, 118);
constexpr uint32_t kFdnReverb = Effect(0, 115);
constexpr uint32_t kModalSynth = Effect(0, 116);
constexpr uint32_t kMeter = Effect(0, 129);
constexpr uint32_t kStudioLimiter = Effect(256, 103);
constexpr uint32_t kDeviceSim = Effect(256, 110);
constexpr uint32_t kToneGenerator = SX::SxPluginKey(SX::SxPluginType_Source, 0, 102);
constexpr uint32_t kSilence = SX::SxPluginKey(SX::SxPluginType_Source, 0, 101);
constexpr uint32_t kWindSynth = SX::SxPluginKey(SX::SxPluginType_Source, 0, 119);
constexpr uint32_t kWhooshSynth = SX::SxPluginKey(SX::SxPluginType_Source, 0, 120);

bool ShareSet(Line& line, const std::string& name, uint32_t plugin, bw::Bytes params) {
    line.File().records.push_back(
        bw::Record(SX::SxHirc_FxShareSet, bw::EffectBody(ID(name), {plugin, std::move(params), {}, {}})));
    return true;
}

// Reads the numbers of a line in order, each within its bounds; false when one is missing or
// out of them.
struct Bounded {
    float* value;
    float low, high;
};
bool ReadBounded(std::istringstream& args, std::initializer_list<Bounded> values) {
    for (const Bounded& v : values)
        if (!(args >> *v.value) || !(*v.value >= v.low && *v.value <= v.high)) return false;
    return true;
}

// limiter <Name> <ceiling dB> <threshold dB> <release s>
bool LimiterVerb(Line& line) {
    std::string a;
    float ceiling, threshold, release;
    if (!(line.args >> a) || !ReadBounded(line.args, {{&ceiling, -96, 0}, {&threshold, -96, 0}, {&release, 1e-4f, 60}}))
        return false;
    bw::Writer params;
    params.F32(ceiling).F32(threshold).F32(0.0f).F32(release).U32(0);
    return ShareSet(line, a, kStudioLimiter, params.Take());
}

// compressor|expander|peak-limiter <Name> <threshold dB> <ratio> <attack or look-ahead s>
// <release s> <gain dB>: the dynamics above (or, expanding, below) the threshold.
bool DynamicsVerb(Line& line, uint32_t plugin) {
    std::string a;
    float threshold, ratio, attack, release, gain;
    if (!(line.args >> a) ||
        !ReadBounded(
            line.args,
            {{&threshold, -96, 0}, {&ratio, 1, 50}, {&attack, 0, 1}, {&release, 0.001f, 10}, {&gain, -24, 24}}))
        return false;
    bw::Writer params;
    params.Raw(Floats({threshold, ratio, attack, release, gain})).U8(0).U8(1);
    return ShareSet(line, a, plugin, params.Take());
}

// eq <Name> <dB> <kind>:<Hz>:<dB>:<Q>...: up to three bands of the kinds below, the rest off.
bool EqVerb(Line& line) {
    static const std::map<std::string, uint32_t> kKinds = {{"low-pass", 0}, {"high-pass", 1}, {"band-pass", 2},
                                                           {"notch", 3},    {"low-shelf", 4}, {"high-shelf", 5},
                                                           {"peak", 6}};
    std::string a;
    float level;
    if (!(line.args >> a >> level) || !(level >= -24.0f && level <= 24.0f)) return false;
    bw::Writer bands;
    int count = 0;
    for (std::string band; line.args >> band; ++count) {
        const std::vector<std::string> parts = Split(band, ':');
        float hz, db, q;
        if (count == 3 || parts.size() != 4 || !kKinds.count(parts[0]) || !Number(parts[1], hz) ||
            !Number(parts[2], db) || !Number(parts[3], q) || !(hz > 10.0f && hz < 20000.0f) ||
            !(db >= -24.0f && db <= 24.0f) || !(q > 0.0f && q <= 50.0f))
            return false;
        bands.U32(kKinds.at(parts[0])).F32(db).F32(hz).F32(q).U8(1);
    }
    if (count == 0) return false;
    for (; count < 3; ++count) bands.U32(6).F32(0.0f).F32(1000.0f).F32(1.0f).U8(0);
    bands.F32(level).U8(0);
    return ShareSet(line, a, kParametricEQ, bands.Take());
}

// delay <Name> <seconds> <feedback %> <wet %> <dB>: echoes that repeat at the time, each the
// feedback's share of the one before.
bool DelayVerb(Line& line) {
    std::string a;
    float seconds, feedback, wet, level;
    if (!(line.args >> a) ||
        !ReadBounded(line.args, {{&seconds, 0.001f, 4}, {&feedback, 0, 99}, {&wet, 0, 100}, {&level, -24, 24}}))
        return false;
    bw::Writer params;
    params.Raw(Floats({seconds, feedback, wet, level})).U8(feedback > 0.0f ? 1 : 0).U8(0);
    return ShareSet(line, a, kDelay, params.Take());
}

// room-reverb <Name> <decay s> <room size %> <dry dB> <early dB> <reverb dB>: a room's early
// reflections and its reverb, the rest of its settings as the plug-in's own.
bool RoomReverbVerb(Line& line) {
    std::string a;
    float decay, size, dry, early, reverb;
    if (!(line.args >> a) ||
        !ReadBounded(line.args,
                     {{&decay, 0.1f, 20}, {&size, 0, 100}, {&dry, -96, 0}, {&early, -96, 0}, {&reverb, -96, 0}}))
        return false;
    bw::Writer params;
    // Decay, damping, diffusion, width; three equaliser bands (gain, Hz, Q); the four outputs
    // (front, rear, centre, LFE); dry, early and reverb levels.
    params.Raw(
        Floats({decay, 2.25f, 100.0f, 180.0f, 0, 100, 1, 0, 1000, 1, 0, 10000, 1, 0, 0, 0, -96, dry, early, reverb}));
    // Early reflections on, their pattern; reverb delay, shape, rear delay, size, density;
    // eight units; no equaliser (three bands at the downmix); centre and LFE levels.
    params.U8(1).U32(23).Raw(Floats({25.0f, 0.0f, 40.0f, size, 100.0f})).U32(8).U8(0);
    for (uint32_t band = 0; band < 3; ++band) params.U32(3).U32(band);
    params.Raw(Floats({0.0f, -96.0f}));
    params.Raw(Floats({8.0f, 50.0f, 2.0f, 0.1f, 0.8f, 66.0f, 15.0f, 5.0f, 40.0f, 0.5f, 50.0f}));
    return ShareSet(line, a, kRoomReverb, params.Take());
}

// meter <Name> <Parameter> <attack s> <release s> <floor dB>: the level of what passes, held
// above the floor, written to the game parameter.
bool MeterVerb(Line& line) {
    std::string a, parameter;
    float attack, release, floor;
    if (!(line.args >> a >> parameter) ||
        !ReadBounded(line.args, {{&attack, 0, 10}, {&release, 0, 10}, {&floor, -96, -1}}))
        return false;
    bw::Writer params;
    params.Raw(Floats({attack, release, floor, 0.0f, 0.0f})).U8(1).U32(ID(parameter));
    return ShareSet(line, a, kMeter, params.Take());
}

// device-sim <Name> <low cut Hz> <high cut Hz> <drive %> <mix %>: a small device heard through its
// band, driven into its distortion.
bool DeviceSimVerb(Line& line) {
    std::string a;
    float low, high, drive, mix;
    if (!(line.args >> a) ||
        !ReadBounded(line.args, {{&low, 20, 20000}, {&high, 20, 20000}, {&drive, 0, 100}, {&mix, 0, 100}}) ||
        !(low < high))
        return false;
    bw::Writer params;
    params.U8(1).U32(1).F32(high).F32(0.0f).U32(1).F32(low).F32(0.0f);  // the band, two sections each side
    params.U8(drive > 0.0f ? 1 : 0).U32(0).F32(drive).F32(0.0f).F32(0.0f);
    params.U8(0).U32(1).F32(1000.0f).F32(0.0f).F32(-96.0f);                    // no resonance
    params.U8(0).Raw(Floats({-96.0f, 18000.0f, 40.0f, 0.0f, -20.0f, 20.0f}));  // no noise
    params.U8(0).U32(0).F32(100.0f);                                           // no model
    params.U8(0).Raw(Floats({-40.0f, 0.0f, 1.0f, 10.0f, 100.0f}));             // no gate
    params.U8(0).U32(0).U32(0).F32(0.0f);                                      // no lo-fi
    params.Raw(Floats({0.0f, 0.0f, mix}));
    return ShareSet(line, a, kDeviceSim, params.Take());
}

// fdn-reverb <Name> <seconds> <wet dB>: a wet-only reverb for an environment bus.
bool FdnReverbVerb(Line& line) {
    std::string a;
    float seconds, wet;
    if (!(line.args >> a) || !ReadBounded(line.args, {{&seconds, 1e-3f, 20}, {&wet, -96, 0}})) return false;
    bw::Writer params;
    params.Raw(Floats({seconds, 0.5f})).U32(8).Raw(Floats({-96.0f, wet, 0.0f})).U8(0).U32(0);
    return ShareSet(line, a, kFdnReverb, params.Take());
}

// modal <Name> <dry dB> <out dB> <Hz>:<bandwidth Hz>...: resonant modes that a mono sound rings,
// at the frequencies given and no others.
bool ModalVerb(Line& line) {
    std::string a;
    float dry, out;
    if (!(line.args >> a) || !ReadBounded(line.args, {{&dry, -96, 24}, {&out, -96, 24}})) return false;
    bw::Writer modes;
    uint16_t count = 0;
    for (std::string mode; line.args >> mode; ++count) {
        float hz, width;
        std::string text;
        if (!Pair(mode, hz, text) || !Number(text, width) || !(hz > 0.0f && hz < 20000.0f) || !(width > 0.0f))
            return false;
        modes.Raw(Floats({hz, 0.0f, width}));
    }
    if (count == 0) return false;
    bw::Writer params;
    params.Raw(Floats({dry, out, 0, 0, 0, 0, 0, 100.0f})).U8(0).U8(0).U8(0).F32(0.0f).U16(count).Raw(modes.Take());
    return ShareSet(line, a, kModalSynth, params.Take());
}

bool SourceEffect(Line& line, const std::string& name, uint32_t plugin, bw::Bytes params,
                  std::vector<bw::RTPCCurve> curves) {
    line.File().records.push_back(bw::Record(
        SX::SxHirc_FxCustom, bw::EffectBody(SourceEffectID(name), {plugin, std::move(params), {}, std::move(curves)})));
    return true;
}

// <Parameter>:<x>:<m/s>...: the synth's speed driven by a game parameter, each speed written
// as the synth takes it (at least two points, every speed above 0).
bool ReadSpeedCurve(const std::string& owner, const std::string& text, float (*toSynth)(float), bw::RTPCCurve& speed) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    // The curve reads as a node's volume curve would, then drives the synth's speed instead.
    if (!ReadCurve(owner, text.substr(0, colon) + ":volume" + text.substr(colon), speed)) return false;
    speed.parameter = 0;
    for (bw::Point& point : speed.points) {
        if (!(point.y > 0.0f)) return false;
        point.y = toSynth(point.y);
    }
    return true;
}

// wind <Name> <Hz> <Q> <dB> <Parameter>:<x>:<m/s>...: a synthesised wind, one deflector ahead of
// the listener ringing at Hz at its full speed of 48 m/s; the game parameter sets the speed, and
// the wind's pitch follows it and its loudness the speed's cube.
bool WindVerb(Line& line) {
    std::string a, b;
    float hz, q, db;
    if (!(line.args >> a) || !ReadBounded(line.args, {{&hz, 20.01f, 9999.99f}, {&q, 1e-4f, 50}, {&db, -96, 24}}) ||
        !(line.args >> b))
        return false;
    bw::RTPCCurve speed;
    // The synth takes its speed in cents above 8 m/s.
    if (!ReadSpeedCurve(
            a, b, [](float ms) { return 1200.0f * std::log2(ms / 8.0f); }, speed))
        return false;
    bw::Writer params;
    params.Raw(Floats({10.0f, 0.0f})).U16(1).Raw(Floats({5.0f, 0.5f, 0.5f, 1.0f}));
    const float values[][2] = {{0, 0}, {0, 0}, {0.1f, 0}, {0.03f, 0}, {0, 0}, {0, 0}, {db, 0}};
    for (const auto& v : values) params.F32(v[0]).F32(v[1]).U8(0);
    params.U16(1).F32(30.0f).Raw(Floats({1.0f, 0.0f, hz / 6.0f, q, 0.0f}));
    return SourceEffect(line, a, kWindSynth, params.Take(), {speed});
}

// whoosh <Name> <dB> <Parameter>:<x>:<m/s>... <Hz>:<Q>...: a synthesised rush of air at the
// listener, pink noise ringing deflectors that sound at their Hz at 16 m/s; the game parameter
// sets the speed, the deflectors' pitch goes with it and their loudness with about its fourth
// power.
bool WhooshVerb(Line& line) {
    std::string a, b;
    float db;
    if (!(line.args >> a) || !ReadBounded(line.args, {{&db, -96, 24}}) || !(line.args >> b)) return false;
    bw::RTPCCurve speed;
    // The synth takes its speed s as 2^(s / 50 + 2) m/s.
    if (!ReadSpeedCurve(
            a, b, [](float ms) { return 50.0f * (std::log2(ms) - 2.0f); }, speed))
        return false;
    bw::Writer deflectors;
    uint16_t count = 0;
    for (std::string deflector; line.args >> deflector; ++count) {
        float hz, q;
        std::string text;
        if (!Pair(deflector, hz, text) || !Number(text, q) || !(hz > 20.0f && hz < 20000.0f) ||
            !(q > 0.0f && q <= 50.0f))
            return false;
        deflectors.Raw(Floats({hz, q, 0.0f}));
    }
    if (count == 0) return false;
    constexpr uint16_t kStereo = 1, kPinkNoise = 1;
    bw::Writer params;
    params.Raw(Floats({10.0f, 0.0f})).U16(kStereo).Raw(Floats({10.0f, 0.5f, 1.0f, 1.0f})).U16(kPinkNoise);
    // No jitter, no distance attenuation, one control point a buffer; speed, pitch and Q at their
    // bases with no curves over the cycle, the gain at dB.
    params.Raw(Floats({0.0f, 0.0f})).U8(0).U16(1);
    for (float base : {0.0f, 0.0f, 0.0f, db}) params.F32(base).F32(0.0f).U8(0);
    // No centre deflector (-1); the deflectors; no curves; a path of one point at the listener.
    params.U16(0xFFFF).U16(count).Raw(deflectors.Take()).U16(0).U16(1).F32(0.0f).Raw(Floats({0.0f, 0.0f, 0.0f}));
    return SourceEffect(line, a, kWhooshSynth, params.Take(), {speed});
}

// tone-gen <Name> <dB> <waveform> <from Hz> <to Hz> <spread Hz> <attack s> <decay s> <sustain dB>
// <hold s> <release s>: a tone swept from one pitch to the other over its envelope, its start
// drawn within the spread above each time.
bool ToneGenVerb(Line& line) {
    static const std::map<std::string, uint32_t> kWaves = {{"sine", 0},     {"triangle", 1},    {"square", 2},
                                                           {"sawtooth", 3}, {"white-noise", 4}, {"pink-noise", 5}};
    std::string a, wave;
    float db, from, to, spread, attack, decay, sustain, hold, release;
    if (!(line.args >> a >> db >> wave) || !Level(db) || !kWaves.count(wave) ||
        !ReadBounded(line.args, {{&from, 20, 20000},
                                 {&to, 20, 20000},
                                 {&spread, 0, 5000},
                                 {&attack, 0, 10},
                                 {&decay, 0, 10},
                                 {&sustain, -96, 0},
                                 {&hold, 0, 10},
                                 {&release, 0, 10}}))
        return false;
    constexpr uint32_t kCurvedSweep = 1, kEnvelope = 1;
    bw::Writer params;
    params.Raw(Floats({db, from, to, 0.0f, spread})).U8(from != to ? 1 : 0).U32(kCurvedSweep);
    params.Raw(Floats({0.0f, spread})).U32(kWaves.at(wave)).U32(kEnvelope);
    params.Raw(Floats({attack + decay + hold + release, attack, decay, hold, sustain, release}));
    return SourceEffect(line, a, kToneGenerator, params.Take(), {});
}

// silence <Name> <seconds> <at least s> <at most s>: a gap of the length, plus a time drawn
// between the two each time it plays.
bool SilenceVerb(Line& line) {
    std::string a;
    float seconds, low, high;
    if (!(line.args >> a) || !ReadBounded(line.args, {{&seconds, 0, 60}, {&low, -60, 60}, {&high, -60, 60}}) ||
        !(low <= high) || !(seconds + low >= 0.0f))
        return false;
    return SourceEffect(line, a, kSilence, Floats({seconds, low, high}), {});
}

}  // namespace

std::vector<Verb> EffectVerbs() {
    return {
        {"limiter", LimiterVerb},
        {"compressor", [](Line& line) { return DynamicsVerb(line, kCompressor); }},
        {"expander", [](Line& line) { return DynamicsVerb(line, kExpander); }},
        {"peak-limiter", [](Line& line) { return DynamicsVerb(line, kPeakLimiter); }},
        {"eq", EqVerb},
        {"delay", DelayVerb},
        {"room-reverb", RoomReverbVerb},
        {"meter", MeterVerb},
        {"device-sim", DeviceSimVerb},
        {"fdn-reverb", FdnReverbVerb},
        {"modal", ModalVerb},
        {"wind", WindVerb},
        {"whoosh", WhooshVerb},
        {"tone-gen", ToneGenVerb},
        {"silence", SilenceVerb},
    };
}

}  // namespace samplebanks
