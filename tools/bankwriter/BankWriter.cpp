#include "tools/bankwriter/BankWriter.h"

#include <cctype>
#include <cstring>

namespace bankwriter {

Writer& Writer::U8(uint8_t v) {
    m_bytes.push_back(v);
    return *this;
}

Writer& Writer::U16(uint16_t v) {
    m_bytes.push_back(static_cast<uint8_t>(v));
    m_bytes.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
}

Writer& Writer::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) m_bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
}

Writer& Writer::F32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return U32(bits);
}

Writer& Writer::Raw(const Bytes& bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

Prop PropF(uint8_t id, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return Prop{id, bits};
}

Prop PropI(uint8_t id, int32_t value) { return Prop{id, static_cast<uint32_t>(value)}; }

Range RangeF(uint8_t id, float min, float max) { return Range{id, PropF(id, min).bits, PropF(id, max).bits}; }

Range RangeI(uint8_t id, int32_t min, int32_t max) {
    return Range{id, static_cast<uint32_t>(min), static_cast<uint32_t>(max)};
}

Bytes PropBundle(const std::vector<Prop>& props) {
    Writer w;
    w.U8(static_cast<uint8_t>(props.size()));
    for (const Prop& p : props) w.U8(p.id);
    for (const Prop& p : props) w.U32(p.bits);
    return w.Take();
}

Bytes RangeBundle(const std::vector<Range>& ranges) {
    Writer w;
    w.U8(static_cast<uint8_t>(ranges.size()));
    for (const Range& r : ranges) w.U8(r.id);
    for (const Range& r : ranges) w.U32(r.minBits).U32(r.maxBits);
    return w.Take();
}

namespace {
void Points(Writer& w, const std::vector<Point>& points) {
    for (const Point& p : points) w.F32(p.x).F32(p.y).U32(p.shape);
}

void PositioningBlock(Writer& w, const Positioning& p) {
    w.U8(p.overrideParent);
    if (!p.overrideParent) return;
    w.U8(p.is3D);
    if (!p.is3D) {
        w.U8(p.flag2D);
        return;
    }
    w.U32(p.type).U32(p.attenuationID).U8(p.flag);
    if (p.type == 3) {
        w.U8(p.follow);
    } else if (p.type == 2) {
        w.U32(p.pathMode).U8(p.looping).U32(p.transitionMs).U8(p.listenerZeroOnly);
        w.U32(static_cast<uint32_t>(p.vertices.size()));
        for (const PathVertex& v : p.vertices) w.F32(v.x).F32(v.y).F32(v.z).U32(v.durationMs);
        w.U32(static_cast<uint32_t>(p.items.size()));
        for (const PathItem& item : p.items) w.U32(item.firstVertex).U32(item.vertexCount);
        for (const PathItem& item : p.items) w.F32(item.rangeX).F32(item.rangeZ);
    }
}
}  // namespace

Bytes RTPCList(const std::vector<RTPCCurve>& curves) {
    Writer w;
    w.U16(static_cast<uint16_t>(curves.size()));
    for (const RTPCCurve& c : curves) {
        w.U32(c.gameParameterID).U32(c.parameter).U32(c.curveID).U8(c.scaling);
        w.U16(static_cast<uint16_t>(c.points.size()));
        Points(w, c.points);
    }
    return w.Take();
}

Bytes NodeBaseBlock(const NodeBase& node) {
    Writer w;
    w.U8(node.overrideEffects).U8(static_cast<uint8_t>(node.effects.size()));
    if (!node.effects.empty()) {
        w.U8(node.bypassBits);
        for (const EffectSlot& e : node.effects) w.U8(e.slot).U32(e.effectID).U8(e.shareSet).U8(e.rendered);
    }
    w.U32(node.busID).U32(node.parentID).U8(node.overridePriority).U8(node.distanceOffset);
    w.Raw(PropBundle(node.props)).Raw(RangeBundle(node.ranges));
    PositioningBlock(w, node.positioning);
    const AdvancedSettings& a = node.advanced;
    w.U8(a.virtualQueueBehavior).U8(a.killNewest).U8(a.useVirtualBehavior).U16(a.maxInstances).U8(a.globalLimit);
    w.U8(a.belowThresholdBehavior).U8(a.overrideLimit).U8(a.overrideVirtual);
    w.U32(static_cast<uint32_t>(node.stateGroups.size()));
    for (const StateGroupUse& g : node.stateGroups) {
        w.U32(g.groupID).U8(g.syncType).U16(static_cast<uint16_t>(g.states.size()));
        for (const auto& s : g.states) w.U32(s.first).U32(s.second);
    }
    w.Raw(RTPCList(node.rtpcs));
    if (node.withFeedbackBus) w.U32(node.feedbackBusID);
    return w.Take();
}

Bytes SourceBlock(const Source& s) {
    Writer w;
    w.U32(s.pluginID).U32(s.streamType).U32(s.mediaID).U32(s.fileID);
    if (s.streamType != 1) w.U32(s.offset).U32(s.size);
    w.U8(s.flags);
    const uint32_t type = s.pluginID & 0xF;
    if (type == 2 || type == 5) w.U32(static_cast<uint32_t>(s.pluginParams.size())).Raw(s.pluginParams);
    return w.Take();
}

Bytes Children(const std::vector<uint32_t>& ids) {
    Writer w;
    w.U32(static_cast<uint32_t>(ids.size()));
    for (uint32_t id : ids) w.U32(id);
    return w.Take();
}

Bytes StateBody(uint32_t id, const std::vector<Prop>& props) { return Writer().U32(id).Raw(PropBundle(props)).Take(); }

Bytes SoundBody(uint32_t id, const Source& source, const NodeBase& node) {
    return Writer().U32(id).Raw(SourceBlock(source)).Raw(NodeBaseBlock(node)).Take();
}

Bytes ActorMixerBody(uint32_t id, const NodeBase& node, const std::vector<uint32_t>& children) {
    return Writer().U32(id).Raw(NodeBaseBlock(node)).Raw(Children(children)).Take();
}

Bytes EventBody(uint32_t id, const std::vector<uint32_t>& actionIDs) {
    return Writer().U32(id).Raw(Children(actionIDs)).Take();
}

Bytes ActionBody(uint32_t id, uint16_t type, uint32_t target, const std::vector<Prop>& props,
                 const std::vector<Range>& ranges, const Bytes& params) {
    return Writer().U32(id).U16(type).U32(target).Raw(PropBundle(props)).Raw(RangeBundle(ranges)).Raw(params).Take();
}

Bytes PlayParams(uint8_t curve, uint32_t bankID) { return Writer().U8(curve).U32(bankID).Take(); }

Bytes ActiveParams(uint8_t curve, const std::vector<uint32_t>& exceptions) {
    return Writer().U8(curve).Raw(Children(exceptions)).Take();
}

Bytes ActiveParams(uint8_t curve, uint8_t flag, const std::vector<uint32_t>& exceptions) {
    return Writer().U8(curve).U8(flag).Raw(Children(exceptions)).Take();
}

Bytes MuteParams(uint8_t curve, const std::vector<uint32_t>& exceptions) { return ActiveParams(curve, exceptions); }

Bytes SetValueParams(uint8_t curve, uint8_t meaning, float value, float min, float max,
                     const std::vector<uint32_t>& exceptions) {
    return Writer().U8(curve).U8(meaning).F32(value).F32(min).F32(max).Raw(Children(exceptions)).Take();
}

Bytes GroupValueParams(uint32_t groupID, uint32_t valueID) { return Writer().U32(groupID).U32(valueID).Take(); }

Bytes SeekParams(bool percentage, float value, float min, float max, bool snap,
                 const std::vector<uint32_t>& exceptions) {
    return Writer().U8(percentage).F32(value).F32(min).F32(max).U8(snap).Raw(Children(exceptions)).Take();
}

Bytes AttenuationBody(uint32_t id, const Attenuation& a) {
    Writer w;
    w.U32(id).U8(a.coneEnabled);
    if (a.coneEnabled) w.F32(a.insideDegrees).F32(a.outsideDegrees).F32(a.coneValue1).F32(a.coneValue2);
    for (uint8_t use : a.curveUse) w.U8(use);
    w.U8(static_cast<uint8_t>(a.curves.size()));
    for (const auto& c : a.curves) {
        w.U8(c.scaling).U16(static_cast<uint16_t>(c.points.size()));
        Points(w, c.points);
    }
    return w.Raw(RTPCList(a.rtpcs)).Take();
}

Bytes EffectBody(uint32_t id, const Effect& e) {
    Writer w;
    w.U32(id).U32(e.pluginID).U32(static_cast<uint32_t>(e.params.size())).Raw(e.params);
    w.U8(static_cast<uint8_t>(e.media.size()));
    for (const auto& m : e.media) w.U8(m.first).U32(m.second);
    return w.Raw(RTPCList(e.rtpcs)).Take();
}

Bytes RanSeqBody(uint32_t id, const NodeBase& node, const RanSeq& c) {
    Writer w;
    w.U32(id).Raw(NodeBaseBlock(node));
    w.U16(c.loopCount).F32(c.transitionMs).F32(c.transitionMin).F32(c.transitionMax).U16(c.avoidRepeat);
    w.U8(c.transitionMode).U8(c.randomType).U8(c.playMode).U8(0).U8(c.resetAtEachPlay).U8(c.restartBackward);
    w.U8(c.continuous).U8(c.global).Raw(Children(c.children));
    w.U16(static_cast<uint16_t>(c.playList.size()));
    for (const auto& entry : c.playList) w.U32(entry.first).U32(entry.second);
    return w.Take();
}

Bytes SwitchBody(uint32_t id, const NodeBase& node, const Switch& c) {
    Writer w;
    w.U32(id).Raw(NodeBaseBlock(node)).U32(c.groupID).U32(c.groupType).U32(c.defaultSwitch);
    w.U8(c.continuousValidation).Raw(Children(c.children));
    w.U32(static_cast<uint32_t>(c.switches.size()));
    for (const auto& entry : c.switches) w.U32(entry.first).Raw(Children(entry.second));
    w.U32(static_cast<uint32_t>(c.childParams.size()));
    for (const auto& p : c.childParams)
        w.U32(p.nodeID).U8(p.firstOnly).U8(p.continueAcrossSwitch).U32(p.behavior).U32(p.fadeOutMs).U32(p.fadeInMs);
    return w.Take();
}

Bytes BusBody(uint32_t id, const Bus& b) {
    Writer w;
    w.U32(id).U32(b.parentBusID);
    w.U8(static_cast<uint8_t>(b.props.size()));
    for (const Prop& p : b.props) w.U8(p.id);
    for (const Prop& p : b.props) w.U32(p.bits);
    w.U8(b.killNewest).U8(b.useVirtualBehavior).U16(b.maxInstances).U8(b.ownInstanceLimit).U16(b.channels);
    w.U16(0).U8(b.environmental);
    w.U32(b.recoveryMs).F32(b.maxDuckVolume).U32(static_cast<uint32_t>(b.duckTargets.size()));
    for (const DuckTarget& d : b.duckTargets) w.U32(d.busID).F32(d.volume).U32(d.fadeOutMs).U32(d.fadeInMs).U8(d.curve);
    w.U8(static_cast<uint8_t>(b.effects.size())).U8(b.bypassBits);
    for (const EffectSlot& e : b.effects) w.U8(e.slot).U32(e.effectID).U8(e.shareSet).U8(0);
    w.Raw(RTPCList(b.rtpcs));
    w.U32(static_cast<uint32_t>(b.stateGroups.size()));
    for (const StateGroupUse& g : b.stateGroups) {
        w.U32(g.groupID).U8(g.syncType).U16(static_cast<uint16_t>(g.states.size()));
        for (const auto& st : g.states) w.U32(st.first).U32(st.second);
    }
    if (b.withFeedbackBus) w.U32(b.feedbackBusID);
    return w.Take();
}

Bytes LayerBody(const Layer& layer) {
    Writer w;
    w.U32(layer.id).Raw(RTPCList(layer.rtpcs)).U32(layer.crossfadeGameParameter);
    w.U32(static_cast<uint32_t>(layer.associations.size()));
    for (const LayerAssociation& a : layer.associations) {
        w.U32(a.childID).U32(static_cast<uint32_t>(a.points.size()));
        Points(w, a.points);
    }
    return w.Take();
}

Bytes LayerContainerBody(uint32_t id, const NodeBase& node, const std::vector<uint32_t>& children,
                         const std::vector<Layer>& layers) {
    Writer w;
    w.U32(id).Raw(NodeBaseBlock(node)).Raw(Children(children)).U32(static_cast<uint32_t>(layers.size()));
    for (const Layer& layer : layers) w.Raw(LayerBody(layer));
    return w.Take();
}

Bytes DialogueBody(uint32_t id, const std::vector<uint32_t>& arguments, uint8_t probability, uint8_t mode,
                   const Bytes& tree) {
    Writer w;
    w.U32(id).Raw(Children(arguments)).U32(static_cast<uint32_t>(tree.size())).U8(probability).U8(mode).Raw(tree);
    return w.Take();
}

Bytes FeedbackNodeBody(uint32_t id, const std::vector<FeedbackSource>& sources, const NodeBase& node) {
    Writer w;
    w.U32(id).U32(static_cast<uint32_t>(sources.size()));
    for (const FeedbackSource& s : sources)
        w.U16(s.companyID).U16(s.deviceID).F32(s.volumeOffset).Raw(SourceBlock(s.source));
    return w.Raw(NodeBaseBlock(node)).Take();
}

Bytes Record(uint8_t type, const Bytes& body) {
    return Writer().U8(type).U32(static_cast<uint32_t>(body.size())).Raw(body).Take();
}

Bytes HircChunk(const std::vector<Bytes>& records) {
    Writer w;
    w.U32(static_cast<uint32_t>(records.size()));
    for (const Bytes& r : records) w.Raw(r);
    return w.Take();
}

Bytes Cut(const Bytes& bytes, size_t length) {
    return Bytes(bytes.begin(),
                 bytes.begin() + static_cast<std::ptrdiff_t>(length < bytes.size() ? length : bytes.size()));
}

Bytes WithU32At(const Bytes& bytes, size_t offset, uint32_t value) {
    Bytes out = bytes;
    for (size_t i = 0; i < 4 && offset + i < out.size(); ++i) out[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    return out;
}

std::vector<Bytes> Reordered(const std::vector<Bytes>& records, const std::vector<size_t>& order) {
    std::vector<Bytes> out;
    for (size_t i : order) out.push_back(records.at(i));
    return out;
}

Bytes FromHex(const char* text) {
    Bytes out;
    int high = -1;
    for (const char* c = text; *c; ++c) {
        if (!std::isxdigit(static_cast<unsigned char>(*c))) continue;
        const int v = std::isdigit(static_cast<unsigned char>(*c)) ? *c - '0' : (std::tolower(*c) - 'a' + 10);
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<uint8_t>(high << 4 | v));
            high = -1;
        }
    }
    return out;
}

}  // namespace bankwriter
