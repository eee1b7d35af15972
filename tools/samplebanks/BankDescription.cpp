#include "tools/samplebanks/BankDescription.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "tools/bankwriter/MusicRecords.h"
#include "tools/mediawriter/MediaWriter.h"

namespace samplebanks {

namespace bw = bankwriter;

namespace {

uint32_t ID(const std::string& name) { return SX::SoundEngine::GetIDFromString(name.c_str()); }

constexpr uint32_t kToneRate = 48000;
constexpr uint32_t kPcmCodec = 1u << 16 | 1;

bool IsMediaFile(const bw::Bytes& data) { return data.size() >= 12 && std::equal(data.begin(), data.begin() + 4, "RIFF"); }

bool Pair(const std::string& text, float& x, std::string& y) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    try {
        x = std::stof(text.substr(0, colon));
    } catch (...) {
        return false;
    }
    y = text.substr(colon + 1);
    return !y.empty();
}

bool Apply(const std::string& verb, std::istringstream& args, std::vector<NamedBank>& banks) {
    if (verb == "bank") {
        NamedBank bank;
        if (!(args >> bank.name)) return false;
        bank.file.id = ID(bank.name);
        banks.push_back(std::move(bank));
        return true;
    }
    if (banks.empty()) return false;
    bw::BankFile& file = banks.back().file;
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
            float x;
            std::string y;
            if (!Pair(point, x, y)) return false;
            try {
                curve.points.push_back({x, std::stof(y), SX::SxCurve_Linear});
            } catch (...) {
                return false;
            }
        }
        file.withEnvironment = true;
        return true;
    }
    if (verb == "bank-name") {
        if (!(args >> a) || a.size() > 255) return false;
        file.bankNames.emplace_back(ID(a), a);
        return true;
    }
    if (verb == "media") {
        size_t size;
        unsigned fill;
        if (!(args >> a >> size >> fill) || size > (64u << 20)) return false;
        file.media.push_back({ID(a), bw::Bytes(size, static_cast<uint8_t>(fill))});
        return true;
    }
    if (verb == "tone") {
        double hz, seconds, db;
        if (!(args >> a >> hz >> seconds >> db) || !(hz > 0.0 && hz < kToneRate / 2.0) ||
            !(seconds > 0.0 && seconds <= 60.0) || !(db <= 0.0 && db >= -96.0))
            return false;
        const auto frames = static_cast<uint32_t>(seconds * kToneRate);
        const QV::media::Signal tone = QV::media::Sine(hz, std::pow(10.0, db / 20.0), frames, kToneRate, 0x4);
        file.media.push_back({ID(a), QV::media::Build(tone, QV::media::Encoding::Pcm16)});
        return true;
    }
    if (verb == "sound") {
        if (!(args >> a >> b)) return false;
        bw::Source source;
        source.mediaID = ID(b);
        // Media written by a tone of this bank play from memory as 16-bit PCM.
        for (const auto& media : file.media)
            if (media.id == source.mediaID && IsMediaFile(media.bytes)) {
                source.pluginID = kPcmCodec;
                source.size = static_cast<uint32_t>(media.bytes.size());
            }
        bw::NodeBase node;
        if (args >> c) node.parentID = ID(c);
        file.records.push_back(bw::Record(SX::SxHirc_Sound, bw::SoundBody(ID(a), source, node)));
        return true;
    }
    if (verb == "mixer") {
        if (!(args >> a)) return false;
        std::vector<uint32_t> children;
        bw::NodeBase node;
        while (args >> b && b != "volume") children.push_back(ID(b));
        if (b == "volume") {
            // The mixer's volume in dB follows a game parameter along a curve of x:dB points.
            if (!(args >> c)) return false;
            bw::RTPCCurve curve{ID(c), SX::SxRTPC_Volume, 0, 0, {}};
            for (std::string point; args >> point;) {
                float x;
                std::string db;
                if (!Pair(point, x, db)) return false;
                try {
                    curve.points.push_back({x, std::stof(db), SX::SxCurve_Linear});
                } catch (...) {
                    return false;
                }
            }
            if (curve.points.size() < 2) return false;
            node.rtpcs.push_back(std::move(curve));
        }
        file.records.push_back(bw::Record(SX::SxHirc_ActorMixer, bw::ActorMixerBody(ID(a), node, children)));
        return true;
    }
    if (verb == "adpcm-tone") {
        double hz, ms;
        if (!(args >> a >> hz >> ms) || !(hz > 0.0 && hz < 24000.0) || !(ms > 0.0 && ms <= 60000.0)) return false;
        const auto frames = static_cast<uint32_t>(ms * 48);
        const auto signal = QV::media::Sine(hz, 0.25, frames, 48000, QV::media::DefaultChannelMask(1));
        file.media.push_back({ID(a), QV::media::Build(signal, QV::media::Encoding::Adpcm)});
        return true;
    }
    if (verb == "music-track") {
        double at, ms;
        if (!(args >> a >> b >> at >> ms) || !(ms > 0.0)) return false;
        bw::MusicTrack track;
        bw::Source source;
        source.mediaID = ID(b);
        track.sources = {source};
        track.clips = {{0, ID(b), at, 0.0, 0.0, ms}};
        file.records.push_back(bw::Record(bw::Hirc_MusicTrack, bw::MusicTrackBody(ID(a), track)));
        return true;
    }
    if (verb == "music-segment") {
        float tempo;
        unsigned beats;
        double ms;
        if (!(args >> a >> tempo >> beats >> ms) || beats == 0 || beats > 255 || !(ms > 0.0)) return false;
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
    if (verb == "event") {
        if (!(args >> a >> b)) return false;
        const uint32_t bank = args >> c ? ID(c) : file.id;
        const uint32_t action = ID(a + ".play");
        file.records.push_back(
            bw::Record(SX::SxHirc_Action, bw::ActionBody(action, 0x0403, ID(b), {}, {}, bw::PlayParams(4, bank))));
        file.records.push_back(bw::Record(SX::SxHirc_Event, bw::EventBody(ID(a), {action})));
        return true;
    }
    return false;
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
