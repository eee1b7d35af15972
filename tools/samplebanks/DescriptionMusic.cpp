// The verbs that write the interactive music: tracks playing clips of media, segments on a
// grid, playlists of segments (nested, each in sequence or random order), and switches that
// follow a state group with their transitions and stingers.
#include <algorithm>
#include <map>

#include "tools/bankwriter/MusicRecords.h"
#include "tools/samplebanks/DescriptionVerbs.h"

namespace samplebanks {

namespace {

constexpr int32_t kStreamedMusicLookAheadMs = 200;
const std::map<std::string, uint32_t> kSync = {{"immediate", 0}, {"bar", 2}, {"beat", 3}};

// music-track <Name> <Media> <at ms> <ms>
bool TrackVerb(Line& line) {
    std::string a, b;
    double at, ms;
    if (!(line.args >> a >> b >> at >> ms) || !(ms > 0.0)) return false;
    bw::MusicTrack track;
    const bw::Source source = MediaSource(line.banks, b);
    // A streamed clip opens its file this long before it is heard.
    if (source.streamType != 0) track.lookAheadMs = kStreamedMusicLookAheadMs;
    track.sources = {source};
    track.clips = {{0, ID(b), at, 0.0, 0.0, ms}};
    line.File().records.push_back(bw::Record(bw::Hirc_MusicTrack, bw::MusicTrackBody(ID(a), track)));
    return true;
}

// music-segment <Name> <bpm> <beats/bar> <ms> <Track>...
bool SegmentVerb(Line& line) {
    std::string a, b;
    float tempo;
    unsigned beats;
    double ms;
    if (!(line.args >> a >> tempo >> beats >> ms) || !(tempo > 0.0f) || beats == 0 || beats > 255 || !(ms > 0.0))
        return false;
    bw::MusicNode node;
    node.tempo = tempo;
    node.beatsPerBar = static_cast<uint8_t>(beats);
    node.gridPeriodMs = 60000.0 / tempo;
    node.overrideGrid = true;
    while (line.args >> b) node.children.push_back(ID(b));
    line.File().records.push_back(
        bw::Record(bw::Hirc_MusicSegment, bw::MusicSegmentBody(ID(a), node, ms, {{1, 0.0}, {2, ms}})));
    return true;
}

// A playlist level's order: its mode word, with *<loops> after it for a nested level.
bool ReadLevel(const std::string& word, bw::PlaylistItem& level) {
    static const std::map<std::string, uint32_t> kModes = {
        {"sequence", 0}, {"sequence-step", 1}, {"random", 2}, {"random-step", 3}};
    const size_t star = word.find('*');
    const auto mode = kModes.find(word.substr(0, star));
    if (mode == kModes.end()) return false;
    level.mode = mode->second;
    if (star == std::string::npos) return true;
    float loops;
    if (!Number(word.substr(star + 1), loops) || !(loops >= 0.0f && loops <= 65535.0f) || loops != int(loops))
        return false;
    level.loopCount = static_cast<uint16_t>(loops);
    return true;
}

// The items of one level after its opening, up to its "]" (or the end of the line for the
// root), in depth-first order; the level's child count counts its own.
bool ReadItems(std::istringstream& args, const std::string& name, bool nested, std::vector<bw::PlaylistItem>& items,
               std::vector<uint32_t>& segments) {
    const size_t level = items.size() - 1;
    for (std::string word; args >> word;) {
        if (word == "]") return nested && items[level].childCount > 0;
        ++items[level].childCount;
        bw::PlaylistItem item;
        item.itemID = ID(name) + static_cast<uint32_t>(items.size());
        if (word[0] == '[') {
            if (!ReadLevel(word.substr(1), item)) return false;
            // A random level does not play the same child twice running.
            item.avoidRepeat = item.mode >= 2 ? 1 : 0;
            items.push_back(item);
            if (!ReadItems(args, name, true, items, segments)) return false;
            continue;
        }
        item.segmentID = ID(word);
        items.push_back(item);
        if (std::find(segments.begin(), segments.end(), item.segmentID) == segments.end())
            segments.push_back(item.segmentID);
    }
    return !nested && items[level].childCount > 0;
}

// music-playlist <Name> <loops, 0 endless> [<order>] <Item>...
bool PlaylistVerb(Line& line) {
    std::string a;
    unsigned loops;
    if (!(line.args >> a >> loops) || loops > 65535) return false;
    std::vector<bw::PlaylistItem> items(1);
    items[0].itemID = ID(a);
    items[0].loopCount = static_cast<uint16_t>(loops);
    const std::streampos rest = line.args.tellg();
    std::string order;
    if (line.args >> order && !ReadLevel(order, items[0])) {
        line.args.clear();
        line.args.seekg(rest);
    }
    if (order.find('*') != std::string::npos) return false;
    items[0].avoidRepeat = items[0].mode >= 2 ? 1 : 0;
    bw::MusicNode node;
    if (!ReadItems(line.args, a, false, items, node.children)) return false;
    bw::TransitionRule exit;
    exit.syncType = 7;
    line.File().records.push_back(bw::Record(bw::Hirc_MusicRanSeq, bw::MusicRanSeqBody(ID(a), node, {exit}, items)));
    return true;
}

// stinger=<Trigger>:<Segment>:<bar|beat|immediate>:<don't repeat ms>
bool ReadStinger(const std::string& value, bw::Stinger& stinger) {
    const std::vector<std::string> parts = Split(value, ':');
    float dontRepeat;
    if (parts.size() != 4 || !kSync.count(parts[2]) || !Number(parts[3], dontRepeat) || dontRepeat < 0.0f) return false;
    stinger.triggerID = ID(parts[0]);
    stinger.segmentID = ID(parts[1]);
    stinger.syncType = kSync.at(parts[2]);
    stinger.dontRepeatMs = static_cast<uint32_t>(dontRepeat);
    // Past the last sync point of a segment it waits for the next one.
    stinger.lookAheadCount = 1;
    return true;
}

// music-switch <Name> <Group> <Default> <bar|beat|immediate> <fade ms> <Transition segment|->
//              <State>:<Child>... [bus=] [stinger=]...
// A state that keeps the same child lets it play on.
bool SwitchVerb(Line& line) {
    std::string a, group, fallback, sync, via;
    float fade;
    if (!(line.args >> a >> group >> fallback >> sync >> fade >> via) || fade < 0.0f) return false;
    const auto syncType = kSync.find(sync);
    if (syncType == kSync.end()) return false;
    Words words(line.args);
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
            node.stingers.emplace_back();
            if (!ReadStinger(value, node.stingers.back())) return false;
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
    line.File().records.push_back(bw::Record(
        bw::Hirc_MusicSwitch, bw::MusicSwitchBody(ID(a), node, {rule}, 1, ID(group), ID(fallback), true, pairs)));
    return true;
}

}  // namespace

std::vector<Verb> MusicVerbs() {
    return {
        {"music-track", TrackVerb},
        {"music-segment", SegmentVerb},
        {"music-playlist", PlaylistVerb},
        {"music-switch", SwitchVerb},
    };
}

}  // namespace samplebanks
