#include "tools/samplebanks/DescriptionWords.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/plugin/SxPluginTable.h"

namespace samplebanks {

namespace {

constexpr uint32_t kAdpcmCodec = 2u << 16 | 1;
constexpr uint32_t kVorbisCodec = 4u << 16 | 1;

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

// Node parameters a game parameter may drive, by name.
bool ParameterNumber(const std::string& name, uint32_t& number) {
    static const std::map<std::string, uint32_t> kNumbers = {{"volume", 0}, {"pitch", 2}, {"lpf", 3}};
    const auto found = kNumbers.find(name);
    if (found == kNumbers.end()) return false;
    number = found->second;
    return true;
}

// <min>:<max> of a property drawn afresh for each play.
bool ReadRange(uint8_t property, const std::string& text, bw::NodeBase& node) {
    float low, high;
    std::string rest;
    if (!Pair(text, low, rest) || !Number(rest, high) || !(low <= high)) return false;
    node.ranges.push_back(bw::RangeF(property, low, high));
    return true;
}

}  // namespace

uint32_t ID(const std::string& name) {
    if (name.size() == 10 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X') &&
        name.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos)
        return static_cast<uint32_t>(std::stoul(name.substr(2), nullptr, 16));
    return SX::SoundEngine::GetIDFromString(name.c_str());
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

bool Level(float db) { return db <= 0.0f && db >= -96.0f; }
float Amplitude(float db) { return std::pow(10.0f, db / 20.0f); }

Words::Words(std::istringstream& args) {
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

bool Words::Flag(const char* name) const { return std::find(flags.begin(), flags.end(), name) != flags.end(); }

bool Words::Take(const char* key, std::string& value) {
    const auto found = std::find_if(options.begin(), options.end(), [key](const auto& o) { return o.first == key; });
    if (found == options.end()) return false;
    value = found->second;
    options.erase(found);
    return true;
}

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
        } else if (key == "pitch-range") {
            if (!ReadRange(SX::SxProp_Pitch, value, node)) return false;
        } else if (key == "db-range") {
            if (!ReadRange(SX::SxProp_Volume, value, node)) return false;
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

bool IsMediaFile(const bw::Bytes& data) {
    return data.size() >= 12 && std::equal(data.begin(), data.begin() + 4, "RIFF");
}

uint32_t CodecOf(const bw::BankFile& file, uint32_t mediaID, uint32_t& size) {
    for (const auto& media : file.media)
        if (media.id == mediaID && IsMediaFile(media.bytes)) {
            size = static_cast<uint32_t>(media.bytes.size());
            // The WAVE format tag 2 is ADPCM, the others PCM.
            return media.bytes.size() > 21 && media.bytes[20] == 2 && media.bytes[21] == 0 ? kAdpcmCodec : kPcmCodec;
        }
    size = 0;
    return 1;
}

// A synthesised source is a custom effect that a sound names in place of its plug-in, so its ID
// carries the source plug-in type in its low bits.
uint32_t SourceEffectID(const std::string& name) { return (ID(name) & ~15u) | SX::SxPluginType_Source; }

bw::Source MediaSource(const std::vector<NamedBank>& banks, const std::string& name) {
    const NamedBank& bank = banks.back();
    bw::Source source;
    source.mediaID = ID(name);
    source.pluginID = CodecOf(bank.file, source.mediaID, source.size);
    if (const uint32_t effect = SourceEffectOf(banks, name)) source.pluginID = effect;
    for (const auto& media : bank.streamed)
        if (media.id == source.mediaID) {
            bw::BankFile holder;
            holder.media = {media};
            source.pluginID = CodecOf(holder, media.id, source.size);
            if (std::find(bank.vorbis.begin(), bank.vorbis.end(), media.id) != bank.vorbis.end())
                source.pluginID = kVorbisCodec;
            source.size = 0;
            source.streamType = 1;
            source.fileID = media.id;
        }
    return source;
}

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

bool ReadEncoding(std::istringstream& args, QV::media::Encoding& encoding) {
    std::string word;
    encoding = QV::media::Encoding::Adpcm;
    if (!(args >> word)) return true;
    encoding = QV::media::Encoding::Pcm16;
    return word == "pcm" && !(args >> word);
}

}  // namespace samplebanks
