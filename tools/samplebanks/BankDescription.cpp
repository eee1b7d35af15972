#include "tools/samplebanks/BankDescription.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "tools/bankwriter/MusicRecords.h"
#include "tools/samplebanks/DescriptionSignals.h"

namespace samplebanks {

namespace bw = bankwriter;

namespace {

// A name written as 0x followed by eight hex digits is that ID itself.
uint32_t ID(const std::string& name) {
    if (name.size() == 10 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X') &&
        name.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos)
        return static_cast<uint32_t>(std::stoul(name.substr(2), nullptr, 16));
    return SX::SoundEngine::GetIDFromString(name.c_str());
}

constexpr uint32_t kToneRate = 48000;
constexpr uint32_t kPcmCodec = 1u << 16 | 1;
constexpr uint32_t kAdpcmCodec = 2u << 16 | 1;
constexpr uint32_t kVorbisCodec = 4u << 16 | 1;
constexpr uint32_t kStudioLimiter = SX::SxPluginKey(SX::SxPluginType_Effect, 256, 103);
constexpr uint32_t kFdnReverb = SX::SxPluginKey(SX::SxPluginType_Effect, 0, 115);
constexpr uint32_t kModalSynth = SX::SxPluginKey(SX::SxPluginType_Effect, 0, 116);
constexpr uint32_t kWindSynth = SX::SxPluginKey(SX::SxPluginType_Source, 0, 119);
constexpr uint32_t kWhooshSynth = SX::SxPluginKey(SX::SxPluginType_Source, 0, 120);
constexpr uint32_t kMotionGenerator = SX::SxPluginKey(SX::SxPluginType_MotionSource, 0, 405);
constexpr uint16_t kRumblePad = 406;  // the pad's motion device
constexpr uint32_t kLinear = 4;       // curve shape of every point written here
constexpr int32_t kStreamedMusicLookAheadMs = 200;

bool IsMediaFile(const bw::Bytes& data) {
    return data.size() >= 12 && std::equal(data.begin(), data.begin() + 4, "RIFF");
}

// The codec of media written by this bank: the WAVE format tag 2 is ADPCM, the others PCM.
uint32_t CodecOf(const bw::BankFile& file, uint32_t mediaID, uint32_t& size) {
    for (const auto& media : file.media)
        if (media.id == mediaID && IsMediaFile(media.bytes)) {
            size = static_cast<uint32_t>(media.bytes.size());
            return media.bytes.size() > 21 && media.bytes[20] == 2 && media.bytes[21] == 0 ? kAdpcmCodec : kPcmCodec;
        }
    size = 0;
    return 1;
}

// A synthesised source is a custom effect that a sound names in place of its plug-in, so its ID
// carries the source plug-in type in its low bits.
uint32_t SourceEffectID(const std::string& name) { return (ID(name) & ~15u) | SX::SxPluginType_Source; }

// The ID of the source effect of that name that a bank written so far holds, or 0.
uint32_t SourceEffectOf(const std::vector<NamedBank>& banks, const std::string& name) {
    const uint32_t id = SourceEffectID(name);
    for (const NamedBank& bank : banks)
        for (const bw::Bytes& record : bank.file.records) {
            if (record.size() < 13 || record[0] != SX::SxHirc_FxCustom) continue;
            uint32_t recordID;
            std::memcpy(&recordID, record.data() + 5, 4);
            if (recordID == id) return id;
        }
    return 0;
}

// The source that plays a medium: from the bank with its codec, a synthesised source of that
// name, or a file of its own (Vorbis when it is to be packed so).
bw::Source MediaSource(const std::vector<NamedBank>& banks, const bw::BankFile& file,
                       const std::vector<bw::Media>& streamed, const std::vector<uint32_t>& vorbis,
                       const std::string& name) {
    bw::Source source;
    source.mediaID = ID(name);
    source.pluginID = CodecOf(file, source.mediaID, source.size);
    if (const uint32_t effect = SourceEffectOf(banks, name)) source.pluginID = effect;
    for (const auto& media : streamed)
        if (media.id == source.mediaID) {
            bw::BankFile holder;
            holder.media = {media};
            source.pluginID = CodecOf(holder, media.id, source.size);
            if (std::find(vorbis.begin(), vorbis.end(), media.id) != vorbis.end()) source.pluginID = kVorbisCodec;
            source.size = 0;
            source.streamType = 1;
            source.fileID = media.id;
        }
    return source;
}

bool Number(const std::string& text, float& value) {
    try {
        size_t used = 0;
        value = std::stof(text, &used);
        return used == text.size() && std::isfinite(value);
    } catch (...) {
        return false;
    }
}

bool Pair(const std::string& text, float& x, std::string& y) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos || !Number(text.substr(0, colon), x)) return false;
    y = text.substr(colon + 1);
    return !y.empty();
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
    return parts;
}

bw::Bytes Floats(std::initializer_list<float> values) {
    bw::Writer w;
    for (float v : values) w.F32(v);
    return w.Take();
}

// The words of a line after its verb: "key=value" options and plain words, in order.
struct Words {
    std::vector<std::string> plain;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> flags;  // "loop", "env", "continuous"

    explicit Words(std::istringstream& args) {
        for (std::string word; args >> word;) {
            const size_t equals = word.find('=');
            if (equals != std::string::npos)
                options.emplace_back(word.substr(0, equals), word.substr(equals + 1));
            else if (word == "loop" || word == "env" || word == "continuous")
                flags.push_back(word);
            else
                plain.push_back(word);
        }
    }
    bool Flag(const char* name) const { return std::find(flags.begin(), flags.end(), name) != flags.end(); }
    // Takes the option out of the list; false when it is not there.
    bool Take(const char* key, std::string& value) {
        const auto found =
            std::find_if(options.begin(), options.end(), [key](const auto& o) { return o.first == key; });
        if (found == options.end()) return false;
        value = found->second;
        options.erase(found);
        return true;
    }
};

// Node parameters a game parameter may drive, by name.
bool ParameterNumber(const std::string& name, uint32_t& number) {
    static const std::map<std::string, uint32_t> kNumbers = {{"volume", 0}, {"pitch", 2}, {"lpf", 3}};
    const auto found = kNumbers.find(name);
    if (found == kNumbers.end()) return false;
    number = found->second;
    return true;
}

// rtpc=<Parameter>:<volume|pitch|lpf>:<x>:<y>:<x>:<y>...
bool ReadCurve(const std::string& owner, const std::string& text, bw::RTPCCurve& curve) {
    const std::vector<std::string> parts = Split(text, ':');
    if (parts.size() < 6 || parts.size() % 2 != 0 || !ParameterNumber(parts[1], curve.parameter)) return false;
    curve.gameParameterID = ID(parts[0]);
    curve.curveID = ID(owner + "/" + text);
    for (size_t i = 2; i < parts.size(); i += 2) {
        float x, y;
        if (!Number(parts[i], x) || !Number(parts[i + 1], y)) return false;
        if (!curve.points.empty() && !(x > curve.points.back().x)) return false;
        curve.points.push_back({x, y, kLinear});
    }
    return true;
}

// state=<Group>:<State>:<dB>: the node's volume in that state, through a state object of its own.
bool ReadState(const std::string& owner, const std::string& text, std::vector<bw::StateGroupUse>& uses,
               bw::BankFile& file) {
    const std::vector<std::string> parts = Split(text, ':');
    float db;
    if (parts.size() != 3 || !Number(parts[2], db)) return false;
    const uint32_t group = ID(parts[0]), state = ID(parts[1]), object = ID(owner + "/" + parts[0] + "/" + parts[1]);
    file.records.push_back(bw::Record(SX::SxHirc_State, bw::StateBody(object, {bw::PropF(SX::SxProp_Volume, db)})));
    auto use =
        std::find_if(uses.begin(), uses.end(), [group](const bw::StateGroupUse& u) { return u.groupID == group; });
    if (use == uses.end()) use = uses.insert(uses.end(), bw::StateGroupUse{group, 0, {}});
    use->states.emplace_back(state, object);
    return true;
}

// The options every node takes: parent=, bus=, db=, pitch=, max=<instances on an object>,
// effect=<ShareSet> (up to four), 3d=<Attenuation>, state=, rtpc= and the flag loop (plays on
// until stopped).
bool ReadNode(const std::string& owner, const Words& words, bw::BankFile& file, bw::NodeBase& node) {
    // The nodes of a motion bank name a motion bus besides their bus.
    node.withFeedbackBus = file.feedback != 0;
    if (words.Flag("loop")) node.props.push_back(bw::PropI(SX::SxProp_LoopCount, 0));
    for (const auto& [key, value] : words.options) {
        float number;
        if (key == "parent") {
            node.parentID = ID(value);
        } else if (key == "bus") {
            node.busID = ID(value);
        } else if (key == "db" && Number(value, number)) {
            node.props.push_back(bw::PropF(SX::SxProp_Volume, number));
        } else if (key == "pitch" && Number(value, number)) {
            node.props.push_back(bw::PropF(SX::SxProp_Pitch, number));
        } else if (key == "max" && Number(value, number) && number >= 1.0f && number <= 1000.0f) {
            // At most that many on one game object; a further play is refused.
            node.advanced.overrideLimit = true;
            node.advanced.globalLimit = false;
            node.advanced.killNewest = true;
            node.advanced.maxInstances = static_cast<uint16_t>(number);
        } else if (key == "effect" && node.effects.size() < 4) {
            node.overrideEffects = true;
            node.effects.push_back({static_cast<uint8_t>(node.effects.size()), ID(value), 1});
        } else if (key == "3d") {
            node.positioning.overrideParent = true;
            node.positioning.is3D = true;
            node.positioning.type = 1;
            node.positioning.attenuationID = ID(value);
        } else if (key == "state") {
            if (!ReadState(owner, value, node.stateGroups, file)) return false;
        } else if (key == "rtpc") {
            bw::RTPCCurve curve;
            if (!ReadCurve(owner, value, curve)) return false;
            node.rtpcs.push_back(std::move(curve));
        } else {
            return false;
        }
    }
    return true;
}

// bus <Name> [parent=<Bus>] [db=] [effect=<ShareSet>]... [duck=<Bus>:<dB>:<fade out ms>:<fade in ms>]...
// [state=] [rtpc=] [env]; a bus of the record type given (an audio or a motion bus)
bool ReadBus(const std::string& name, const Words& words, bw::BankFile& file, uint8_t type) {
    bw::Bus bus;
    bus.environmental = words.Flag("env");
    bus.maxDuckVolume = -96.0f;
    for (const auto& [key, value] : words.options) {
        float number;
        if (key == "parent") {
            bus.parentBusID = ID(value);
        } else if (key == "db" && Number(value, number)) {
            bus.props.push_back(bw::PropF(SX::SxProp_Volume, number));
        } else if (key == "effect" && bus.effects.size() < 4) {
            bus.effects.push_back({static_cast<uint8_t>(bus.effects.size()), ID(value), 1});
        } else if (key == "duck") {
            const std::vector<std::string> parts = Split(value, ':');
            float db, out, in;
            if (parts.size() != 4 || !Number(parts[1], db) || !Number(parts[2], out) || !Number(parts[3], in) ||
                out < 0 || in < 0)
                return false;
            bus.duckTargets.push_back({ID(parts[0]), db, static_cast<uint32_t>(out), static_cast<uint32_t>(in),
                                       static_cast<uint8_t>(kLinear)});
            bus.recoveryMs = std::max(bus.recoveryMs, static_cast<uint32_t>(in));
        } else if (key == "state") {
            if (!ReadState(name, value, bus.stateGroups, file)) return false;
        } else if (key == "rtpc") {
            bw::RTPCCurve curve;
            if (!ReadCurve(name, value, curve)) return false;
            bus.rtpcs.push_back(std::move(curve));
        } else {
            return false;
        }
    }
    file.records.push_back(bw::Record(type, bw::BusBody(ID(name), bus)));
    return true;
}

// A bank holds at most 64 MB of media.
constexpr size_t kMostMediaBytes = 64u << 20;

bool AddMediaBytes(bw::BankFile& file, uint32_t id, bw::Bytes bytes) {
    size_t total = bytes.size();
    for (const auto& media : file.media) total += media.bytes.size();
    if (total > kMostMediaBytes) return false;
    file.media.push_back({id, std::move(bytes)});
    return true;
}

bool AddMedia(bw::BankFile& file, const std::string& name, const QV::media::Signal& signal,
              QV::media::Encoding encoding) {
    return AddMediaBytes(file, ID(name), QV::media::Build(signal, encoding));
}

// ADPCM unless the line ends in "pcm" (16-bit PCM); nothing else may follow.
bool ReadEncoding(std::istringstream& args, QV::media::Encoding& encoding) {
    std::string word;
    encoding = QV::media::Encoding::Adpcm;
    if (!(args >> word)) return true;
    encoding = QV::media::Encoding::Pcm16;
    return word == "pcm" && !(args >> word);
}

bool Level(float db) { return db <= 0.0f && db >= -96.0f; }
float Amplitude(float db) { return std::pow(10.0f, db / 20.0f); }

bool Event(bw::BankFile& file, const std::string& name, uint16_t type, uint32_t target, const bw::Bytes& params) {
    const uint32_t action = ID(name + ".action");
    file.records.push_back(bw::Record(SX::SxHirc_Action, bw::ActionBody(action, type, target, {}, {}, params)));
    file.records.push_back(bw::Record(SX::SxHirc_Event, bw::EventBody(ID(name), {action})));
    return true;
}

bool ApplyMedia(const std::string& verb, std::istringstream& args, bw::BankFile& file) {
    std::string a;
    if (verb == "media") {
        size_t size;
        unsigned fill;
        if (!(args >> a >> size >> fill) || size > kMostMediaBytes || fill > 255) return false;
        return AddMediaBytes(file, ID(a), bw::Bytes(size, static_cast<uint8_t>(fill)));
    }
    if (verb == "tone") {
        double hz, seconds, db;
        if (!(args >> a >> hz >> seconds >> db) || !(hz > 0.0 && hz < kToneRate / 2.0) ||
            !(seconds > 0.0 && seconds <= 60.0) || !(db <= 0.0 && db >= -96.0))
            return false;
        const auto frames = static_cast<uint32_t>(seconds * kToneRate);
        return AddMedia(file, a, QV::media::Sine(hz, std::pow(10.0, db / 20.0), frames, kToneRate, 0x4),
                        QV::media::Encoding::Pcm16);
    }
    if (verb == "adpcm-tone") {
        double hz, ms;
        if (!(args >> a >> hz >> ms) || !(hz > 0.0 && hz < 24000.0) || !(ms > 0.0 && ms <= 60000.0)) return false;
        const auto frames = static_cast<uint32_t>(ms * 48);
        return AddMedia(file, a, QV::media::Sine(hz, 0.25, frames, 48000, QV::media::DefaultChannelMask(1)),
                        QV::media::Encoding::Adpcm);
    }
    if (verb == "chord") {
        float seconds, db, hz;
        std::vector<double> notes;
        if (!(args >> a >> seconds >> db) || !(seconds > 0.0f && seconds <= 30.0f) || !Level(db)) return false;
        while (args >> hz) {
            if (!(hz > 0.0f && hz < 20000.0f)) return false;
            notes.push_back(hz);
        }
        // A word that is not a frequency stops the list: only "pcm" may end it.
        QV::media::Encoding encoding = QV::media::Encoding::Adpcm;
        if (!args.eof()) {
            args.clear();
            if (!ReadEncoding(args, encoding) || encoding != QV::media::Encoding::Pcm16) return false;
        }
        return !notes.empty() && AddMedia(file, a, Chord(notes, seconds, Amplitude(db)), encoding);
    }
    if (verb == "phrase") {
        float hz, db;
        unsigned syllables;
        if (!(args >> a >> hz >> syllables >> db) || !(hz > 20.0f && hz < 4000.0f) || syllables == 0 ||
            syllables > 40 || !Level(db))
            return false;
        QV::media::Encoding encoding;
        return ReadEncoding(args, encoding) && AddMedia(file, a, Phrase(hz, syllables, Amplitude(db)), encoding);
    }
    if (verb == "noise") {
        float hz, seconds, db;
        if (!(args >> a >> hz >> seconds >> db) || !(hz > 10.0f && hz < 20000.0f) ||
            !(seconds > 0.0f && seconds <= 30.0f) || !Level(db))
            return false;
        QV::media::Encoding encoding;
        return ReadEncoding(args, encoding) && AddMedia(file, a, Noise(hz, seconds, Amplitude(db), ID(a)), encoding);
    }
    return false;
}

bool ApplyMusic(const std::string& verb, std::istringstream& args, const std::vector<NamedBank>& banks,
                bw::BankFile& file, const std::vector<bw::Media>& streamed, const std::vector<uint32_t>& vorbis) {
    std::string a, b;
    if (verb == "music-track") {
        double at, ms;
        if (!(args >> a >> b >> at >> ms) || !(ms > 0.0)) return false;
        bw::MusicTrack track;
        const bw::Source source = MediaSource(banks, file, streamed, vorbis, b);
        // A streamed clip opens its file this long before it is heard.
        if (source.streamType != 0) track.lookAheadMs = kStreamedMusicLookAheadMs;
        track.sources = {source};
        track.clips = {{0, ID(b), at, 0.0, 0.0, ms}};
        file.records.push_back(bw::Record(bw::Hirc_MusicTrack, bw::MusicTrackBody(ID(a), track)));
        return true;
    }
    if (verb == "music-segment") {
        float tempo;
        unsigned beats;
        double ms;
        if (!(args >> a >> tempo >> beats >> ms) || !(tempo > 0.0f) || beats == 0 || beats > 255 || !(ms > 0.0))
            return false;
        bw::MusicNode node;
        node.tempo = tempo;
        node.beatsPerBar = static_cast<uint8_t>(beats);
        node.gridPeriodMs = 60000.0 / tempo;
        node.overrideGrid = true;
        while (args >> b) node.children.push_back(ID(b));
        file.records.push_back(
            bw::Record(bw::Hirc_MusicSegment, bw::MusicSegmentBody(ID(a), node, ms, {{1, 0.0}, {2, ms}})));
        return true;
    }
    if (verb == "music-playlist") {
        unsigned loops;
        if (!(args >> a >> loops) || loops > 65535) return false;
        bw::MusicNode node;
        std::vector<bw::PlaylistItem> items(1);
        items[0].itemID = ID(a);
        items[0].loopCount = static_cast<uint16_t>(loops);
        for (uint32_t n = 1; args >> b; ++n) {
            node.children.push_back(ID(b));
            bw::PlaylistItem item;
            item.segmentID = ID(b);
            item.itemID = ID(a) + n;
            items.push_back(item);
        }
        items[0].childCount = static_cast<uint32_t>(items.size() - 1);
        bw::TransitionRule exit;
        exit.syncType = 7;
        file.records.push_back(bw::Record(bw::Hirc_MusicRanSeq, bw::MusicRanSeqBody(ID(a), node, {exit}, items)));
        return true;
    }
    if (verb == "music-switch") {
        // music-switch <Name> <Group> <Default> <bar|beat|immediate> <fade ms> <Transition segment|->
        //              <State>:<Child>... [bus=]
        // A state that keeps the same child lets it play on.
        std::string group, fallback, sync, via;
        float fade;
        if (!(args >> a >> group >> fallback >> sync >> fade >> via) || fade < 0.0f) return false;
        static const std::map<std::string, uint32_t> kSync = {{"immediate", 0}, {"bar", 2}, {"beat", 3}};
        const auto syncType = kSync.find(sync);
        if (syncType == kSync.end()) return false;
        Words words(args);
        bw::MusicNode node;
        std::vector<bw::SwitchPair> pairs;
        for (const std::string& pair : words.plain) {
            const size_t colon = pair.find(':');
            if (colon == std::string::npos) return false;
            const uint32_t child = ID(pair.substr(colon + 1));
            pairs.push_back({ID(pair.substr(0, colon)), child});
            if (std::find(node.children.begin(), node.children.end(), child) == node.children.end())
                node.children.push_back(child);
        }
        for (const auto& [key, value] : words.options) {
            if (key == "bus") {
                node.node.busID = ID(value);
            } else if (key == "stinger") {
                // stinger=<Trigger>:<Segment>:<bar|beat|immediate>:<don't repeat ms>
                const std::vector<std::string> parts = Split(value, ':');
                float dontRepeat;
                if (parts.size() != 4 || !kSync.count(parts[2]) || !Number(parts[3], dontRepeat) || dontRepeat < 0.0f)
                    return false;
                bw::Stinger stinger;
                stinger.triggerID = ID(parts[0]);
                stinger.segmentID = ID(parts[1]);
                stinger.syncType = kSync.at(parts[2]);
                stinger.dontRepeatMs = static_cast<uint32_t>(dontRepeat);
                // Past the last sync point of a segment it waits for the next one.
                stinger.lookAheadCount = 1;
                node.stingers.push_back(stinger);
            } else {
                return false;
            }
        }
        if (pairs.empty()) return false;
        bw::TransitionRule rule;
        rule.syncType = syncType->second;
        rule.sourceFade = {static_cast<uint32_t>(fade), kLinear, 0};
        rule.destinationFade = {static_cast<uint32_t>(fade), kLinear, 0};
        if (via != "-") {
            rule.hasTransSegment = true;
            rule.transSegmentID = ID(via);
        }
        file.records.push_back(bw::Record(
            bw::Hirc_MusicSwitch, bw::MusicSwitchBody(ID(a), node, {rule}, 1, ID(group), ID(fallback), true, pairs)));
        return true;
    }
    return false;
}

bool ApplyHierarchy(const std::string& verb, std::istringstream& args, const std::vector<NamedBank>& banks,
                    bw::BankFile& file, const std::vector<bw::Media>& streamed, const std::vector<uint32_t>& vorbis) {
    std::string a, b;
    if (verb == "sound") {
        if (!(args >> a >> b)) return false;
        Words words(args);
        const bw::Source source = MediaSource(banks, file, streamed, vorbis, b);
        bw::NodeBase node;
        if (words.plain.size() > 1 || !ReadNode(a, words, file, node)) return false;
        if (!words.plain.empty()) node.parentID = ID(words.plain[0]);
        file.records.push_back(bw::Record(SX::SxHirc_Sound, bw::SoundBody(ID(a), source, node)));
        return true;
    }
    if (verb == "mixer" || verb == "random" || verb == "sequence") {
        if (!(args >> a)) return false;
        Words words(args);
        bw::RanSeq container;
        // continuous: one play goes through the children, each after the one before;
        // trigger=<ms>: each starts that long after the one before, however long that one lasts.
        container.continuous = words.Flag("continuous");
        std::string rate;
        if (words.Take("trigger", rate)) {
            constexpr uint8_t kTriggerRate = 5;
            if (!container.continuous || !Number(rate, container.transitionMs) || !(container.transitionMs > 0.0f) ||
                container.transitionMs > 60000.0f)
                return false;
            container.transitionMode = kTriggerRate;
        }
        bw::NodeBase node;
        if (!ReadNode(a, words, file, node)) return false;
        std::vector<uint32_t> children;
        for (const std::string& child : words.plain) children.push_back(ID(child));
        if (verb == "mixer") {
            if (container.continuous) return false;
            file.records.push_back(bw::Record(SX::SxHirc_ActorMixer, bw::ActorMixerBody(ID(a), node, children)));
            return true;
        }
        if (children.empty()) return false;
        container.playMode = verb == "random" ? 0 : 1;
        // A random one does not play the same child twice running.
        container.avoidRepeat = verb == "random" && children.size() > 1 ? 1 : 0;
        container.children = children;
        for (uint32_t child : children) container.playList.emplace_back(child, 50000);
        file.records.push_back(bw::Record(SX::SxHirc_RanSeq, bw::RanSeqBody(ID(a), node, container)));
        return true;
    }
    if (verb == "switch") {
        // switch <Name> <switch|state> <Group> <Default> <Value>:<Child>[+<Child>]... [follow]
        // follow: the container follows the group while what it started plays.
        std::string kind, group, fallback;
        if (!(args >> a >> kind >> group >> fallback) || (kind != "switch" && kind != "state")) return false;
        Words words(args);
        bw::Switch container;
        container.groupType = kind == "state" ? 1 : 0;
        container.groupID = ID(group);
        container.defaultSwitch = ID(fallback);
        for (const std::string& word : words.plain) {
            if (word == "follow") {
                container.continuousValidation = true;
                continue;
            }
            const size_t colon = word.find(':');
            if (colon == std::string::npos || colon + 1 == word.size() || word.back() == '+') return false;
            std::vector<uint32_t> children;
            std::istringstream names(word.substr(colon + 1));
            for (std::string child; std::getline(names, child, '+');) {
                if (child.empty()) return false;
                children.push_back(ID(child));
                if (std::find(container.children.begin(), container.children.end(), children.back()) ==
                    container.children.end())
                    container.children.push_back(children.back());
            }
            container.switches.emplace_back(ID(word.substr(0, colon)), children);
        }
        bw::NodeBase node;
        if (container.switches.empty() || !ReadNode(a, words, file, node)) return false;
        file.records.push_back(bw::Record(SX::SxHirc_Switch, bw::SwitchBody(ID(a), node, container)));
        return true;
    }
    if (verb == "bus" || verb == "motion-bus") {
        if (!(args >> a)) return false;
        Words words(args);
        return words.plain.empty() && ReadBus(a, words, file, verb == "bus" ? SX::SxHirc_Bus : SX::SxHirc_FeedbackBus);
    }
    if (verb == "rumble") {
        // rumble <Name> <seconds> <left> <right> [bus=<Motion bus>] [options]: the pad's motors held
        // at the levels (0 to 1) for that long, in a motion bank.
        float seconds, left, right;
        if (file.feedback == 0 || !(args >> a >> seconds >> left >> right) || !(seconds > 0.0f && seconds <= 30.0f) ||
            !(left >= 0.0f && left <= 1.0f) || !(right >= 0.0f && right <= 1.0f))
            return false;
        Words words(args);
        bw::NodeBase node;
        if (!words.plain.empty() || !ReadNode(a, words, file, node)) return false;
        node.feedbackBusID = node.busID;
        node.busID = 0;
        bw::Writer motion;
        motion.Raw(Floats({1.0f, seconds, 0, 0, 0, 0, 0, 0})).U16(0).U16(2);
        for (float level : {left, right}) motion.U16(1).F32(0.0f).F32(level).U32(kLinear);
        bw::FeedbackSource source{0, kRumblePad, 0.0f, {}};
        source.source.pluginID = kMotionGenerator;
        source.source.streamType = 1;
        source.source.pluginParams = motion.Take();
        file.records.push_back(bw::Record(SX::SxHirc_FeedbackNode, bw::FeedbackNodeBody(ID(a), {source}, node)));
        return true;
    }
    if (verb == "attenuation") {
        // attenuation <Name> <distance>:<dB>...: the volume over distance, and the same curve for
        // the environment sends.
        if (!(args >> a)) return false;
        bw::Attenuation attenuation;
        bw::Attenuation::Curve curve;
        for (std::string point; args >> point;) {
            float x, y;
            std::string text;
            if (!Pair(point, x, text) || !Number(text, y)) return false;
            if (!curve.points.empty() && !(x > curve.points.back().x)) return false;
            curve.points.push_back({x, y, kLinear});
        }
        if (curve.points.size() < 2) return false;
        attenuation.curveUse[0] = 0;
        attenuation.curveUse[1] = 0;
        attenuation.curves = {curve};
        file.records.push_back(bw::Record(SX::SxHirc_Attenuation, bw::AttenuationBody(ID(a), attenuation)));
        return true;
    }
    if (verb == "limiter") {
        // limiter <Name> <ceiling dB> <threshold dB> <release s>
        float ceiling, threshold, release;
        if (!(args >> a >> ceiling >> threshold >> release) || !Level(ceiling) || !Level(threshold) ||
            !(release > 0.0f))
            return false;
        bw::Writer params;
        params.F32(ceiling).F32(threshold).F32(0.0f).F32(release).U32(0);
        file.records.push_back(
            bw::Record(SX::SxHirc_FxShareSet, bw::EffectBody(ID(a), {kStudioLimiter, params.Take(), {}, {}})));
        return true;
    }
    if (verb == "fdn-reverb") {
        // fdn-reverb <Name> <seconds> <wet dB>: a wet-only reverb for an environment bus.
        float seconds, wet;
        if (!(args >> a >> seconds >> wet) || !(seconds > 0.0f && seconds <= 20.0f) || !Level(wet)) return false;
        bw::Writer params;
        params.Raw(Floats({seconds, 0.5f})).U32(8).Raw(Floats({-96.0f, wet, 0.0f})).U8(0).U32(0);
        file.records.push_back(
            bw::Record(SX::SxHirc_FxShareSet, bw::EffectBody(ID(a), {kFdnReverb, params.Take(), {}, {}})));
        return true;
    }
    if (verb == "modal") {
        // modal <Name> <dry dB> <out dB> <Hz>:<bandwidth Hz>...: resonant modes that a mono
        // sound rings, at the frequencies given and no others.
        float dry, out;
        if (!(args >> a >> dry >> out) || !(dry >= -96.0f && dry <= 24.0f) || !(out >= -96.0f && out <= 24.0f))
            return false;
        bw::Writer modes;
        uint16_t count = 0;
        for (std::string mode; args >> mode; ++count) {
            float hz, width;
            std::string text;
            if (!Pair(mode, hz, text) || !Number(text, width) || !(hz > 0.0f && hz < 20000.0f) || !(width > 0.0f))
                return false;
            modes.Raw(Floats({hz, 0.0f, width}));
        }
        if (count == 0) return false;
        bw::Writer params;
        params.Raw(Floats({dry, out, 0, 0, 0, 0, 0, 100.0f})).U8(0).U8(0).U8(0).F32(0.0f).U16(count).Raw(modes.Take());
        file.records.push_back(
            bw::Record(SX::SxHirc_FxShareSet, bw::EffectBody(ID(a), {kModalSynth, params.Take(), {}, {}})));
        return true;
    }
    if (verb == "wind") {
        // wind <Name> <Hz> <Q> <dB> <Parameter>:<x>:<m/s>...: a synthesised wind, one deflector
        // ahead of the listener ringing at Hz at its full speed of 48 m/s; the game parameter sets
        // the speed, and the wind's pitch follows it and its loudness the speed's cube.
        float hz, q, db;
        if (!(args >> a >> hz >> q >> db >> b) || !(hz > 20.0f && hz < 10000.0f) || !(q > 0.0f && q <= 50.0f) ||
            !(db >= -96.0f && db <= 24.0f) || b.find(':') == std::string::npos)
            return false;
        // The curve reads as a node's volume curve would, then drives the synth's speed instead,
        // which the synth takes in cents above 8 m/s.
        bw::RTPCCurve speed;
        if (!ReadCurve(a, b.substr(0, b.find(':')) + ":volume" + b.substr(b.find(':')), speed)) return false;
        speed.parameter = 0;
        for (bw::Point& point : speed.points) {
            if (!(point.y > 0.0f)) return false;
            point.y = 1200.0f * std::log2(point.y / 8.0f);
        }
        bw::Writer params;
        params.Raw(Floats({10.0f, 0.0f})).U16(1).Raw(Floats({5.0f, 0.5f, 0.5f, 1.0f}));
        const float values[][2] = {{0, 0}, {0, 0}, {0.1f, 0}, {0.03f, 0}, {0, 0}, {0, 0}, {db, 0}};
        for (const auto& v : values) params.F32(v[0]).F32(v[1]).U8(0);
        params.U16(1).F32(30.0f).Raw(Floats({1.0f, 0.0f, hz / 6.0f, q, 0.0f}));
        file.records.push_back(bw::Record(SX::SxHirc_FxCustom,
                                          bw::EffectBody(SourceEffectID(a), {kWindSynth, params.Take(), {}, {speed}})));
        return true;
    }
    if (verb == "whoosh") {
        // whoosh <Name> <dB> <Parameter>:<x>:<m/s>... <Hz>:<Q>...: a synthesised rush of air at the
        // listener, pink noise ringing deflectors that sound at their Hz at 16 m/s; the game
        // parameter sets the speed, the deflectors' pitch goes with it and their loudness with
        // about its fourth power.
        float db;
        if (!(args >> a >> db >> b) || !(db >= -96.0f && db <= 24.0f) || b.find(':') == std::string::npos) return false;
        bw::RTPCCurve speed;
        if (!ReadCurve(a, b.substr(0, b.find(':')) + ":volume" + b.substr(b.find(':')), speed)) return false;
        // The synth takes its speed s as 2^(s / 50 + 2) m/s.
        speed.parameter = 0;
        for (bw::Point& point : speed.points) {
            if (!(point.y > 0.0f)) return false;
            point.y = 50.0f * (std::log2(point.y) - 2.0f);
        }
        bw::Writer deflectors;
        uint16_t count = 0;
        for (std::string deflector; args >> deflector; ++count) {
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
        // No jitter, no distance attenuation, one control point a buffer; speed, pitch and Q at
        // their bases with no curves over the cycle, the gain at dB.
        params.Raw(Floats({0.0f, 0.0f})).U8(0).U16(1);
        for (float base : {0.0f, 0.0f, 0.0f, db}) params.F32(base).F32(0.0f).U8(0);
        // No centre deflector (-1); the deflectors; no curves; a path of one point at the listener.
        params.U16(0xFFFF).U16(count).Raw(deflectors.Take()).U16(0).U16(1).F32(0.0f).Raw(Floats({0.0f, 0.0f, 0.0f}));
        file.records.push_back(bw::Record(
            SX::SxHirc_FxCustom, bw::EffectBody(SourceEffectID(a), {kWhooshSynth, params.Take(), {}, {speed}})));
        return true;
    }
    if (verb == "event") {
        // event <Name> <Target>[,<Target>...] [<Bank>]: one play action for each target.
        if (!(args >> a >> b)) return false;
        std::string c;
        const uint32_t bank = args >> c ? ID(c) : file.id;
        std::vector<uint32_t> actions;
        for (const std::string& target : Split(b, ',')) {
            if (target.empty()) return false;
            actions.push_back(ID(a + "." + target));
            file.records.push_back(bw::Record(SX::SxHirc_Action, bw::ActionBody(actions.back(), 0x0403, ID(target), {},
                                                                                {}, bw::PlayParams(4, bank))));
        }
        file.records.push_back(bw::Record(SX::SxHirc_Event, bw::EventBody(ID(a), actions)));
        return true;
    }
    if (verb == "stop-event") {
        // Stops the target where it plays on the object the event is posted on.
        if (!(args >> a >> b)) return false;
        return Event(file, a, 0x0103, ID(b), bw::ActiveParams(4, {}));
    }
    if (verb == "pause-all" || verb == "resume-all") {
        if (!(args >> a)) return false;
        return verb == "pause-all" ? Event(file, a, 0x0204, 0, bw::ActiveParams(4, 1, {}))
                                   : Event(file, a, 0x0304, 0, bw::ActiveParams(4, 1, {}));
    }
    return false;
}

bool ApplySettings(const std::string& verb, std::istringstream& args, bw::BankFile& file) {
    std::string a, b, c;
    if (verb == "volume-threshold") {
        file.withSettings = true;
        return static_cast<bool>(args >> file.settings.volumeThreshold);
    }
    if (verb == "max-voices") {
        file.withSettings = true;
        return static_cast<bool>(args >> file.settings.maxVoices);
    }
    if (verb == "state-group") {
        uint32_t ms;
        if (!(args >> a >> ms)) return false;
        file.withSettings = true;
        file.settings.stateGroups.push_back({ID(a), ms, {}});
        return true;
    }
    if (verb == "state-transition") {
        uint32_t ms;
        if (!(args >> a >> b >> c >> ms)) return false;
        for (auto& group : file.settings.stateGroups)
            if (group.id == ID(a)) {
                group.transitions.push_back({ID(b), ID(c), ms});
                return true;
            }
        return false;
    }
    if (verb == "switch-mapping") {
        if (!(args >> a >> b)) return false;
        bw::SwitchMapping mapping{ID(a), ID(b), {}};
        for (std::string point; args >> point;) {
            float x;
            std::string name;
            if (!Pair(point, x, name)) return false;
            mapping.points.push_back({x, ID(name), SX::SxCurve_Constant});
        }
        file.withSettings = true;
        file.settings.switchMappings.push_back(std::move(mapping));
        return true;
    }
    if (verb == "parameter") {
        float value;
        if (!(args >> a >> value)) return false;
        file.withSettings = true;
        file.settings.gameParameterDefaults.emplace_back(ID(a), value);
        return true;
    }
    if (verb == "environment") {
        unsigned index;
        if (!(args >> index) || index > 3) return false;
        bw::EnvironmentCurve& curve = file.environment[index];
        curve.enabled = true;
        for (std::string point; args >> point;) {
            float x, y;
            std::string text;
            if (!Pair(point, x, text) || !Number(text, y)) return false;
            curve.points.push_back({x, y, SX::SxCurve_Linear});
        }
        file.withEnvironment = true;
        return true;
    }
    if (verb == "bank-name") {
        if (!(args >> a) || a.size() > 255) return false;
        file.bankNames.emplace_back(ID(a), a);
        return true;
    }
    return false;
}

bool Apply(const std::string& verb, std::istringstream& args, std::vector<NamedBank>& banks) {
    if (verb == "bank") {
        // bank <Name> [motion]: a motion bank's nodes may play on the pad.
        NamedBank bank;
        std::string kind;
        if (!(args >> bank.name) || (args >> kind && kind != "motion")) return false;
        bank.file.id = ID(bank.name);
        bank.file.feedback = kind == "motion" ? 1 : 0;
        banks.push_back(std::move(bank));
        return true;
    }
    if (banks.empty()) return false;
    bw::BankFile& file = banks.back().file;
    static const char* const kMedia[] = {"media", "tone", "adpcm-tone", "chord", "phrase", "noise"};
    if (std::find_if(std::begin(kMedia), std::end(kMedia), [&verb](const char* v) { return verb == v; }) !=
        std::end(kMedia))
        return ApplyMedia(verb, args, file);
    // Music nodes carry no motion bus.
    if (verb.compare(0, 6, "music-") == 0)
        return file.feedback == 0 && ApplyMusic(verb, args, banks, file, banks.back().streamed, banks.back().vorbis);
    if (verb == "streamed" || verb == "streamed-vorbis") {
        std::string name;
        if (!(args >> name)) return false;
        const auto media = std::find_if(file.media.begin(), file.media.end(), [&name](const bw::Media& m) {
            return m.id == ID(name) && IsMediaFile(m.bytes);
        });
        if (media == file.media.end()) return false;
        // The encoder reads 16-bit PCM.
        uint32_t size;
        if (verb == "streamed-vorbis" && CodecOf(file, media->id, size) != kPcmCodec) return false;
        banks.back().streamed.push_back(std::move(*media));
        file.media.erase(media);
        if (verb == "streamed-vorbis") banks.back().vorbis.push_back(ID(name));
        return true;
    }
    return ApplySettings(verb, args, file) ||
           ApplyHierarchy(verb, args, banks, file, banks.back().streamed, banks.back().vorbis);
}

}  // namespace

bool ReadDescription(std::istream& in, std::vector<NamedBank>& banks, std::string& error) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream args(line);
        std::string verb;
        if (!(args >> verb)) continue;
        if (!Apply(verb, args, banks)) {
            error = "line " + std::to_string(number) + ": cannot read \"" + line + "\"";
            return false;
        }
    }
    return true;
}

}  // namespace samplebanks
