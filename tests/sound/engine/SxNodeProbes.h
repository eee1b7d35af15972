#pragma once
// What tests read of the hierarchy's nodes as banks built them and as they play: the game
// parameter curves of an attenuation or an effect, the containers' layers, chains, play lists,
// per-object states and followed plays, a feedback node's sources, a dynamic sequence's state
// and a transition's length.
#include <cstdint>
#include <vector>

#include "platform/TestProbe.h"
#include "sound/engine/attenuations/CSxAttenuation.h"
#include "sound/engine/attenuations/CSxFxBase.h"
#include "sound/engine/containers/CSxLayerCntr.h"
#include "sound/engine/containers/CSxMultiPlayNode.h"
#include "sound/engine/containers/CSxRanSeqCntr.h"
#include "sound/engine/containers/CSxSwitchCntr.h"
#include "sound/engine/dialogue/CSxDynamicSequence.h"
#include "sound/engine/hierarchy/CSxFeedbackNode.h"
#include "sound/engine/transitions/CSxTransition.h"

template <>
struct platform::TestProbe<SX::CSxAttenuation> {
    static const std::vector<SX::SxRTPCEntry>& RTPCs(const SX::CSxAttenuation& attenuation) {
        return attenuation.m_rtpcs;
    }
};

template <>
struct platform::TestProbe<SX::CSxFxBase> {
    static const std::vector<SX::SxRTPCEntry>& RTPCs(const SX::CSxFxBase& effect) { return effect.m_rtpcs; }
};

template <>
struct platform::TestProbe<SX::CSxLayerCntr> {
    static uint32_t LayerCount(const SX::CSxLayerCntr& container) {
        return static_cast<uint32_t>(container.m_layers.size());
    }
};

template <>
struct platform::TestProbe<SX::CSxMultiPlayNode> {
    // The chains that pass through the node.
    static uint32_t ChainCount(const SX::CSxMultiPlayNode& node) {
        return static_cast<uint32_t>(node.m_registrations.size());
    }
};

template <>
struct platform::TestProbe<SX::CSxRanSeqCntr> {
    static SX::CSxPlayList* PlayList(const SX::CSxRanSeqCntr& container) { return container.m_playList; }
    static uint16_t AvoidRepeatCount(const SX::CSxRanSeqCntr& container) { return container.m_avoidRepeat; }
    static uint8_t RandomType(const SX::CSxRanSeqCntr& container) { return container.m_randomType; }
    // Per-object play states held, the global one not counted.
    static uint32_t StateCount(const SX::CSxRanSeqCntr& container) { return container.m_stateCount; }
};

template <>
struct platform::TestProbe<SX::CSxSwitchCntr> {
    // Plays followed for switch changes.
    static uint32_t FollowedPlayCount(const SX::CSxSwitchCntr& container) {
        return static_cast<uint32_t>(container.m_followed.size());
    }
};

template <>
struct platform::TestProbe<SX::CSxDynamicSequence> {
    static SX::CSxDynamicSequence::State CurrentState(const SX::CSxDynamicSequence& sequence) {
        return sequence.m_state;
    }
};

template <>
struct platform::TestProbe<SX::CSxFeedbackNode> {
    static uint32_t SourceCount(const SX::CSxFeedbackNode& node) {
        return static_cast<uint32_t>(node.m_sources.size());
    }
};

template <>
struct platform::TestProbe<SX::CSxTransition> {
    static float DurationFrames(const SX::CSxTransition& transition) { return transition.m_duration; }
};

namespace qvtest {
using AttenuationProbe = platform::TestProbe<SX::CSxAttenuation>;
using FxProbe = platform::TestProbe<SX::CSxFxBase>;
using LayerCntrProbe = platform::TestProbe<SX::CSxLayerCntr>;
using MultiPlayProbe = platform::TestProbe<SX::CSxMultiPlayNode>;
using RanSeqProbe = platform::TestProbe<SX::CSxRanSeqCntr>;
using SwitchCntrProbe = platform::TestProbe<SX::CSxSwitchCntr>;
using DynamicSequenceProbe = platform::TestProbe<SX::CSxDynamicSequence>;
using FeedbackNodeProbe = platform::TestProbe<SX::CSxFeedbackNode>;
using TransitionProbe = platform::TestProbe<SX::CSxTransition>;
}  // namespace qvtest
