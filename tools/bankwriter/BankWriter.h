#pragma once
// Builds the sound engine's hierarchy records (the objects of a bank's HIRC chunk) field by
// field, little-endian, and cuts, corrupts or reorders them for malformed-input tests. Used by
// the tests and by the tool that makes the sample banks.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace bankwriter {

using Bytes = std::vector<uint8_t>;

class Writer {
public:
    Writer& U8(uint8_t v);
    Writer& U16(uint16_t v);
    Writer& U32(uint32_t v);
    Writer& F32(float v);
    Writer& Raw(const Bytes& bytes);
    const Bytes& Data() const { return m_bytes; }
    Bytes Take() { return std::move(m_bytes); }

private:
    Bytes m_bytes;
};

// A property: ID and its 32-bit value (a float, or an integer for the loop count and the
// action times).
struct Prop {
    uint8_t id;
    uint32_t bits;
};
Prop PropF(uint8_t id, float value);
Prop PropI(uint8_t id, int32_t value);

struct Range {
    uint8_t id;
    uint32_t minBits, maxBits;
};
Range RangeF(uint8_t id, float min, float max);
Range RangeI(uint8_t id, int32_t min, int32_t max);

struct Point {
    float x, y;
    uint32_t shape;
};

struct EffectSlot {
    uint8_t slot;
    uint32_t effectID;
    uint8_t shareSet = 0;
    uint8_t rendered = 0;
};

struct StateGroupUse {
    uint32_t groupID;
    uint8_t syncType = 0;
    std::vector<std::pair<uint32_t, uint32_t>> states;  // {state ID, state object ID}
};

struct RTPCCurve {
    uint32_t gameParameterID;
    uint32_t parameter;  // the node parameter number, or the property ID of an attenuation or effect
    uint32_t curveID = 0;
    uint8_t scaling = 0;
    std::vector<Point> points;
};

struct PathVertex {
    float x, y, z;
    uint32_t durationMs;
};
struct PathItem {
    uint32_t firstVertex, vertexCount;
    float rangeX = 0.0f, rangeZ = 0.0f;
};

struct Positioning {
    bool overrideParent = false;
    bool is3D = false;
    bool flag2D = false;
    uint32_t type = 0;
    uint32_t attenuationID = 0;
    bool flag = false;
    bool follow = false;    // type 3
    uint32_t pathMode = 0;  // type 2
    bool looping = false;
    uint32_t transitionMs = 0;
    bool listenerZeroOnly = false;
    std::vector<PathVertex> vertices;
    std::vector<PathItem> items;
};

struct AdvancedSettings {
    uint8_t virtualQueueBehavior = 0;
    bool killNewest = false;
    bool useVirtualBehavior = false;
    uint16_t maxInstances = 0;
    bool globalLimit = true;
    uint8_t belowThresholdBehavior = 0;
    bool overrideLimit = false;
    bool overrideVirtual = false;
};

// The block every node record shares.
struct NodeBase {
    bool overrideEffects = false;
    uint8_t bypassBits = 0;
    std::vector<EffectSlot> effects;
    uint32_t busID = 0;
    uint32_t parentID = 0;
    bool overridePriority = false;
    bool distanceOffset = false;
    std::vector<Prop> props;
    std::vector<Range> ranges;
    Positioning positioning;
    AdvancedSettings advanced;
    std::vector<StateGroupUse> stateGroups;
    std::vector<RTPCCurve> rtpcs;
    // Written only when the bank header says that nodes carry a feedback bus.
    bool withFeedbackBus = false;
    uint32_t feedbackBusID = 0;
};

struct Source {
    uint32_t pluginID = 1;    // low 4 bits: 1 codec, 2 source plug-in, 5 motion source
    uint32_t streamType = 0;  // 0 in the bank, 1 streamed, 2 streamed with a prefetched head
    uint32_t mediaID = 0;
    uint32_t fileID = 0;
    uint32_t offset = 0, size = 0;  // not written for stream type 1
    uint8_t flags = 0;
    Bytes pluginParams;  // plug-in types 2 and 5
};

Bytes NodeBaseBlock(const NodeBase& node);
Bytes SourceBlock(const Source& source);
Bytes PropBundle(const std::vector<Prop>& props);
Bytes RangeBundle(const std::vector<Range>& ranges);
Bytes Children(const std::vector<uint32_t>& ids);
Bytes RTPCList(const std::vector<RTPCCurve>& curves);

// Record bodies, each starting with its object's ID.
Bytes StateBody(uint32_t id, const std::vector<Prop>& props);
Bytes SoundBody(uint32_t id, const Source& source, const NodeBase& node);
Bytes ActorMixerBody(uint32_t id, const NodeBase& node, const std::vector<uint32_t>& children);
Bytes EventBody(uint32_t id, const std::vector<uint32_t>& actionIDs);
// The common action part; params is the kind's own block (below).
Bytes ActionBody(uint32_t id, uint16_t type, uint32_t target, const std::vector<Prop>& props,
                 const std::vector<Range>& ranges, const Bytes& params);
Bytes PlayParams(uint8_t curve, uint32_t bankID);
// Stop (no flag), pause (flag: also pause pending resumes) and resume (flag: master resume).
Bytes ActiveParams(uint8_t curve, const std::vector<uint32_t>& exceptions);
Bytes ActiveParams(uint8_t curve, uint8_t flag, const std::vector<uint32_t>& exceptions);
// Mute (no value block), property and game-parameter actions.
Bytes MuteParams(uint8_t curve, const std::vector<uint32_t>& exceptions);
Bytes SetValueParams(uint8_t curve, uint8_t meaning, float value, float min, float max,
                     const std::vector<uint32_t>& exceptions);
// Set state and set switch: the group and the state or switch.
Bytes GroupValueParams(uint32_t groupID, uint32_t valueID);
Bytes SeekParams(bool percentage, float value, float min, float max, bool snap,
                 const std::vector<uint32_t>& exceptions);

struct Attenuation {
    bool coneEnabled = false;
    float insideDegrees = 0, outsideDegrees = 0, coneValue1 = 0, coneValue2 = 0;
    uint8_t curveUse[5] = {255, 255, 255, 255, 255};
    struct Curve {
        uint8_t scaling = 0;
        std::vector<Point> points;
    };
    std::vector<Curve> curves;
    std::vector<RTPCCurve> rtpcs;
};
Bytes AttenuationBody(uint32_t id, const Attenuation& attenuation);

// Effect share sets and custom effects share one body.
struct Effect {
    uint32_t pluginID = 0xFFFFFFFFu;
    Bytes params;
    std::vector<std::pair<uint8_t, uint32_t>> media;  // {index, media ID}
    std::vector<RTPCCurve> rtpcs;
};
Bytes EffectBody(uint32_t id, const Effect& effect);

// Random/sequence container: the node block, then its own settings, children and play list.
struct RanSeq {
    uint16_t loopCount = 1;
    float transitionMs = 0, transitionMin = 0, transitionMax = 0;
    uint16_t avoidRepeat = 0;
    uint8_t transitionMode = 0, randomType = 0, playMode = 0;
    bool resetAtEachPlay = false, restartBackward = false, continuous = false, global = false;
    std::vector<uint32_t> children;
    std::vector<std::pair<uint32_t, uint32_t>> playList;  // {child ID, weight}
};
Bytes RanSeqBody(uint32_t id, const NodeBase& node, const RanSeq& container);

// Switch container.
struct SwitchChildParams {
    uint32_t nodeID;
    bool firstOnly = false, continueAcrossSwitch = false;
    uint32_t behavior = 0, fadeOutMs = 0, fadeInMs = 0;
};
struct Switch {
    uint32_t groupID = 0, groupType = 0, defaultSwitch = 0;
    bool continuousValidation = false;
    std::vector<uint32_t> children;
    std::vector<std::pair<uint32_t, std::vector<uint32_t>>> switches;  // {switch ID, node IDs}
    std::vector<SwitchChildParams> childParams;
};
Bytes SwitchBody(uint32_t id, const NodeBase& node, const Switch& container);

// Bus: a block of its own in place of the node block.
struct DuckTarget {
    uint32_t busID;
    float volume;
    uint32_t fadeOutMs, fadeInMs;
    uint8_t curve;
};
struct Bus {
    uint32_t parentBusID = 0;
    std::vector<Prop> props;
    bool killNewest = false, useVirtualBehavior = false;
    uint16_t maxInstances = 0;
    bool ownInstanceLimit = false;
    uint16_t channels = 0;
    bool environmental = false;
    uint32_t recoveryMs = 0;
    float maxDuckVolume = 0;
    std::vector<DuckTarget> duckTargets;
    uint8_t bypassBits = 0;
    std::vector<EffectSlot> effects;  // the rendered flag is not written for buses
    std::vector<RTPCCurve> rtpcs;
    std::vector<StateGroupUse> stateGroups;
    bool withFeedbackBus = false;
    uint32_t feedbackBusID = 0;
};
Bytes BusBody(uint32_t id, const Bus& bus);

// Layer container and its layers.
struct LayerAssociation {
    uint32_t childID;
    std::vector<Point> points;
};
struct Layer {
    uint32_t id;
    std::vector<RTPCCurve> rtpcs;
    uint32_t crossfadeGameParameter = 0;
    std::vector<LayerAssociation> associations;
};
Bytes LayerBody(const Layer& layer);
Bytes LayerContainerBody(uint32_t id, const NodeBase& node, const std::vector<uint32_t>& children,
                         const std::vector<Layer>& layers);

// Dialogue event: arguments and a decision tree kept as raw bytes.
Bytes DialogueBody(uint32_t id, const std::vector<uint32_t>& arguments, uint8_t probability, uint8_t mode,
                   const Bytes& tree);

// Feedback node: per device a source, then the node block.
struct FeedbackSource {
    uint16_t companyID, deviceID;
    float volumeOffset;
    Source source;
};
Bytes FeedbackNodeBody(uint32_t id, const std::vector<FeedbackSource>& sources, const NodeBase& node);

// Framing: {u8 type, u32 size, body}, and a chunk body {u32 count, records}.
Bytes Record(uint8_t type, const Bytes& body);
Bytes HircChunk(const std::vector<Bytes>& records);

// Malformed forms.
Bytes Cut(const Bytes& bytes, size_t length);
Bytes WithU32At(const Bytes& bytes, size_t offset, uint32_t value);
std::vector<Bytes> Reordered(const std::vector<Bytes>& records, const std::vector<size_t>& order);

// "0a 1B ff" (spaces and line breaks ignored) into bytes; for hand-written fixtures.
Bytes FromHex(const char* text);

}  // namespace bankwriter
