// The verbs that write the objects of the sound hierarchy: sounds, containers, buses, the pad's
// rumbles, attenuations and events.
#include <algorithm>

#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "tools/samplebanks/DescriptionVerbs.h"

namespace samplebanks {

namespace {

constexpr uint32_t kMotionGenerator = SX::SxPluginKey(SX::SxPluginType_MotionSource, 0, 405);
constexpr uint16_t kRumblePad = 406;  // the pad's motion device

bool SoundVerb(Line& line) {
    std::string a, b;
    if (!(line.args >> a >> b)) return false;
    Words words(line.args);
    const bw::Source source = MediaSource(line.banks, b);
    bw::NodeBase node;
    if (words.plain.size() > 1 || !ReadNode(a, words, line.File(), node)) return false;
    if (!words.plain.empty()) node.parentID = ID(words.plain[0]);
    line.File().records.push_back(bw::Record(SX::SxHirc_Sound, bw::SoundBody(ID(a), source, node)));
    return true;
}

// continuous: one play goes through the children, each after the one before; trigger=<ms>:
// each starts that long after the one before started; gap=<min>:<max>: each starts a time
// drawn between them after the one before ended; loop: the chain goes round for ever.
bool ReadChain(Words& words, bw::RanSeq& container) {
    container.continuous = words.Flag("continuous");
    std::string rate, gap;
    const bool triggered = words.Take("trigger", rate), gapped = words.Take("gap", gap);
    if ((triggered || gapped || words.Flag("loop")) && !container.continuous) return false;
    if (words.Flag("loop")) {
        container.loopCount = 0;
        words.flags.erase(std::find(words.flags.begin(), words.flags.end(), "loop"));
    }
    if (triggered) {
        constexpr uint8_t kTriggerRate = 5;
        if (gapped || !Number(rate, container.transitionMs) || !(container.transitionMs > 0.0f) ||
            container.transitionMs > 60000.0f)
            return false;
        container.transitionMode = kTriggerRate;
    }
    if (gapped) {
        constexpr uint8_t kDelay = 3;
        std::string high;
        if (!Pair(gap, container.transitionMin, high) || !Number(high, container.transitionMax) ||
            !(container.transitionMin >= 0.0f && container.transitionMin <= container.transitionMax &&
              container.transitionMax <= 60000.0f))
            return false;
        container.transitionMode = kDelay;
    }
    return true;
}

bool ContainerVerb(Line& line, const std::string& verb) {
    std::string a;
    if (!(line.args >> a)) return false;
    Words words(line.args);
    bw::RanSeq container;
    if (!ReadChain(words, container)) return false;
    bw::NodeBase node;
    if (!ReadNode(a, words, line.File(), node)) return false;
    std::vector<uint32_t> children;
    for (const std::string& child : words.plain) children.push_back(ID(child));
    if (verb == "mixer") {
        if (container.continuous) return false;
        line.File().records.push_back(bw::Record(SX::SxHirc_ActorMixer, bw::ActorMixerBody(ID(a), node, children)));
        return true;
    }
    if (children.empty()) return false;
    container.playMode = verb == "random" ? 0 : 1;
    // A random one does not play the same child twice running.
    container.avoidRepeat = verb == "random" && children.size() > 1 ? 1 : 0;
    container.children = children;
    for (uint32_t child : children) container.playList.emplace_back(child, 50000);
    line.File().records.push_back(bw::Record(SX::SxHirc_RanSeq, bw::RanSeqBody(ID(a), node, container)));
    return true;
}

// switch <Name> <switch|state> <Group> <Default> <Value>:<Child>[+<Child>]... [follow]
bool SwitchVerb(Line& line) {
    std::string a, kind, group, fallback;
    if (!(line.args >> a >> kind >> group >> fallback) || (kind != "switch" && kind != "state")) return false;
    Words words(line.args);
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
        for (const std::string& child : Split(word.substr(colon + 1), '+')) {
            if (child.empty()) return false;
            children.push_back(ID(child));
            if (std::find(container.children.begin(), container.children.end(), children.back()) ==
                container.children.end())
                container.children.push_back(children.back());
        }
        container.switches.emplace_back(ID(word.substr(0, colon)), children);
    }
    bw::NodeBase node;
    if (container.switches.empty() || !ReadNode(a, words, line.File(), node)) return false;
    line.File().records.push_back(bw::Record(SX::SxHirc_Switch, bw::SwitchBody(ID(a), node, container)));
    return true;
}

// bus <Name> [parent=<Bus>] [db=] [effect=<ShareSet>]... [duck=<Bus>:<dB>:<fade out ms>:<fade in ms>]...
// [state=] [rtpc=] [env]; a bus of the record type given (an audio or a motion bus)
bool BusVerb(Line& line, uint8_t type) {
    std::string name;
    if (!(line.args >> name)) return false;
    Words words(line.args);
    if (!words.plain.empty()) return false;
    bw::BankFile& file = line.File();
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

// rumble <Name> <seconds> <left> <right> [bus=<Motion bus>] [options]: the pad's motors held at
// the levels (0 to 1) for that long, in a motion bank.
bool RumbleVerb(Line& line) {
    std::string a;
    float seconds, left, right;
    bw::BankFile& file = line.File();
    if (file.feedback == 0 || !(line.args >> a >> seconds >> left >> right) || !(seconds > 0.0f && seconds <= 30.0f) ||
        !(left >= 0.0f && left <= 1.0f) || !(right >= 0.0f && right <= 1.0f))
        return false;
    Words words(line.args);
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

// attenuation <Name> <distance>:<dB>...: the volume over distance, and the same curve for the
// environment sends.
bool AttenuationVerb(Line& line) {
    std::string a;
    if (!(line.args >> a)) return false;
    bw::Attenuation attenuation;
    bw::Attenuation::Curve curve;
    for (std::string point; line.args >> point;) {
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
    line.File().records.push_back(bw::Record(SX::SxHirc_Attenuation, bw::AttenuationBody(ID(a), attenuation)));
    return true;
}

// An event of one action of the type on the target.
bool OneActionEvent(Line& line, const std::string& name, uint16_t type, uint32_t target, const bw::Bytes& params) {
    const uint32_t action = ID(name + ".action");
    line.File().records.push_back(bw::Record(SX::SxHirc_Action, bw::ActionBody(action, type, target, {}, {}, params)));
    line.File().records.push_back(bw::Record(SX::SxHirc_Event, bw::EventBody(ID(name), {action})));
    return true;
}

// event <Name> <Target>[,<Target>...] [<Bank>]: one play action for each target.
bool EventVerb(Line& line) {
    std::string a, b, c;
    if (!(line.args >> a >> b)) return false;
    bw::BankFile& file = line.File();
    const uint32_t bank = line.args >> c ? ID(c) : file.id;
    std::vector<uint32_t> actions;
    for (const std::string& target : Split(b, ',')) {
        if (target.empty()) return false;
        actions.push_back(ID(a + "." + target));
        file.records.push_back(bw::Record(
            SX::SxHirc_Action, bw::ActionBody(actions.back(), 0x0403, ID(target), {}, {}, bw::PlayParams(4, bank))));
    }
    file.records.push_back(bw::Record(SX::SxHirc_Event, bw::EventBody(ID(a), actions)));
    return true;
}

// Stops the target where it plays on the object the event is posted on.
bool StopEventVerb(Line& line) {
    std::string a, b;
    if (!(line.args >> a >> b)) return false;
    return OneActionEvent(line, a, 0x0103, ID(b), bw::ActiveParams(4, {}));
}

// pause-all <Name> | resume-all <Name>: every sound of every object.
bool AllEventVerb(Line& line, uint16_t type) {
    std::string a;
    if (!(line.args >> a)) return false;
    return OneActionEvent(line, a, type, 0, bw::ActiveParams(4, 1, {}));
}

}  // namespace

std::vector<Verb> HierarchyVerbs() {
    return {
        {"sound", SoundVerb},
        {"mixer", [](Line& line) { return ContainerVerb(line, "mixer"); }},
        {"random", [](Line& line) { return ContainerVerb(line, "random"); }},
        {"sequence", [](Line& line) { return ContainerVerb(line, "sequence"); }},
        {"switch", SwitchVerb},
        {"bus", [](Line& line) { return BusVerb(line, SX::SxHirc_Bus); }},
        {"motion-bus", [](Line& line) { return BusVerb(line, SX::SxHirc_FeedbackBus); }},
        {"rumble", RumbleVerb},
        {"attenuation", AttenuationVerb},
        {"event", EventVerb},
        {"stop-event", StopEventVerb},
        {"pause-all", [](Line& line) { return AllEventVerb(line, 0x0204); }},
        {"resume-all", [](Line& line) { return AllEventVerb(line, 0x0304); }},
    };
}

}  // namespace samplebanks
