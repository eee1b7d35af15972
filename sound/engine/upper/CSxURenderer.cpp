#include "sound/engine/upper/CSxURenderer.h"

#include "sound/engine/buses/CSxBus.h"

#include <algorithm>
#include <functional>

#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/containers/CSxSwitchCntr.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/upper/CSxSource.h"

namespace SX {

bool CSxURenderer::s_terminating = false;
CSxPBI* CSxURenderer::s_head = nullptr;
CSxPBI* CSxURenderer::s_tail = nullptr;
uint32_t CSxURenderer::s_activeCount = 0;
uint32_t CSxURenderer::s_virtualCount = 0;
uint32_t CSxURenderer::s_sequence = 0;
float CSxURenderer::s_defaultPoolThreshold = 1.0f;
float CSxURenderer::s_lowerEngineThreshold = 1.0f;
CSxPBI::RendererEntry* CSxURenderer::s_cmdHead = nullptr;
CSxPBI::RendererEntry* CSxURenderer::s_cmdTail = nullptr;
platform::Seam<ISxExecuteOnAllListener> CSxURenderer::s_executeOnAllListener{"SX::ISxExecuteOnAllListener"};

namespace {
bool Matches(const CSxPBI& instance, CSxRegisteredObj* gameObj, SxPlayingID playingID) {
    return (!gameObj || instance.GameObj() == gameObj) && (playingID == 0 || instance.PlayingID() == playingID);
}

// The nearest node, this one first, that overrides the virtual-voice settings, or the top.
uint8_t VirtualBehavior(CSxParameterNodeBase* node) {
    while (node->Parent() && !(node->FlagsA() & CSxParameterNodeBase::kOverrideVirtual)) node = node->Parent();
    return node->BelowThresholdBehavior();
}
}  // namespace

void CSxURenderer::SetMemoryThresholds(float defaultPoolThreshold, float lowerEngineThreshold) {
    s_defaultPoolThreshold = defaultPoolThreshold;
    s_lowerEngineThreshold = lowerEngineThreshold;
}

SXRESULT CSxURenderer::Init(float defaultPoolThreshold, float lowerEngineThreshold) {
    SetMemoryThresholds(defaultPoolThreshold, lowerEngineThreshold);
    s_head = s_tail = nullptr;
    s_activeCount = 0;
    s_virtualCount = 0;
    s_sequence = 0;
    s_cmdHead = s_cmdTail = nullptr;
    return CSxLEngineCmds::Init();
}

void CSxURenderer::Term() {
    CSxLEngineCmds::Term();
    s_cmdHead = s_cmdTail = nullptr;
    s_terminating = true;
    while (s_head) {
        CSxPBI* instance = s_head;
        Unlink(instance);
        instance->Term(false);
        SxDelete(g_DefaultPoolId, instance);
    }
    s_terminating = false;
}

SXRESULT CSxURenderer::CheckMaxVoices(float priority) {
    if (s_activeCount - s_virtualCount + 1 <= g_u16MaxNumVoices) return SX_Success;
    // The weakest instance that may be evicted; among equals the later-started one.
    CSxPBI* victim = nullptr;
    float lowest = 101.0f;
    for (CSxPBI* instance = s_head; instance; instance = instance->m_nextActive) {
        if (instance->IsStoppedByLimit() || instance->IsSentVirtual() || instance->IsVirtual() ||
            VirtualBehavior(instance->Node()) == 0)
            continue;
        if (instance->Priority() <= lowest) {
            lowest = instance->Priority();
            victim = instance;
        }
    }
    if (!victim || !(victim->Priority() < priority)) return SX_MustBeVirtual;
    if (VirtualBehavior(victim->Node()) == 1) victim->StopByLimit(1);
    return SX_Success;
}

bool CSxURenderer::CheckMemoryThreshold(float priority) {
    auto over = [](SxMemPoolId pool, float threshold) {
        SxPoolMemInfo info;
        if (threshold >= 1.0f || pool == SxInvalidPoolId || MemoryMgr::GetPoolMemoryUsed(pool, info) != SX_Success ||
            info.reservedBytes == 0)
            return false;
        return static_cast<double>(info.usedBytes) / info.reservedBytes > threshold;
    };
    if (!over(g_DefaultPoolId, s_defaultPoolThreshold) && !over(g_LEngineDefaultPoolId, s_lowerEngineThreshold))
        return true;
    // The weakest instance, the later-started among equals, makes room when it is weaker.
    CSxPBI* victim = nullptr;
    float lowest = 101.0f;
    for (CSxPBI* instance = s_head; instance; instance = instance->m_nextActive) {
        if (instance->IsStoppedByLimit() || instance->Priority() > lowest) continue;
        victim = instance;
        lowest = instance->Priority();
    }
    if (!victim || !(victim->Priority() < priority)) return false;
    victim->StopByLimit(2);
    return true;
}

SXRESULT CSxURenderer::ResolveExternalSource(const CSxSource& source, const SxPBIParams& params, CSxSource*& out) {
    if (!params.externalSources) return SX_Fail;
    const SxExternalSourceArray& array = *params.externalSources;
    for (uint32_t i = 0; i < array.Count(); ++i) {
        const SxExternalSourceInfo& entry = array[i];
        if (entry.cookie != source.FileID()) continue;
        CSxSource* copy = SxNew<CSxSource>(g_DefaultPoolId);
        if (!copy) return SX_InsufficientMemory;
        const uint32_t lfe = source.Flags() & CSxSource::kLFE;
        if (entry.fileName) {
            if (copy->SetSourceByName(source.MediaID(), entry.codecID << 16 | 1, entry.fileName, lfe != 0,
                                      source.Flags() & CSxSource::kFlag2, true) != SX_Success) {
                SxDelete(g_DefaultPoolId, copy);
                return SX_InsufficientMemory;
            }
        } else if (entry.inMemory && entry.inMemorySize) {
            copy->SetSourceInMemory(
                entry.codecID << 16 | 1, entry.inMemory, source.MediaID(), entry.fileID, 0, entry.inMemorySize,
                (CSxSource::kKindInMemory << CSxSource::kKindShift) | CSxSource::kOwnedByInstance | lfe);
        } else if (entry.fileID) {
            copy->SetSource(entry.codecID << 16 | 1, source.MediaID(), entry.fileID, 0, 0,
                            (CSxSource::kKindStreamed << CSxSource::kKindShift) | CSxSource::kOwnedByInstance | lfe);
        } else {
            SxDelete(g_DefaultPoolId, copy);
            return SX_Fail;
        }
        out = copy;
        return SX_Success;
    }
    return SX_Fail;
}

SXRESULT CSxURenderer::KickOut(float priority, CSxRegisteredObj* gameObj, SxUniqueID nodeID, bool allowEqual,
                               bool useVirtual, bool busLimit) {
    // Whether the instance's node, or an ancestor up to the one that limits it, is the node.
    auto under = [&](const CSxPBI& instance) {
        if (nodeID == 0) return true;
        if (busLimit) return CSxBus::IsInLimitChain(instance.Node(), nodeID);
        for (CSxParameterNodeBase* node = instance.Node(); node; node = node->Parent()) {
            if (node->ID() == nodeID) return true;
            if (node->FlagsA() & CSxParameterNodeBase::kOverrideLimit) break;
        }
        return false;
    };
    CSxPBI* victim = nullptr;
    float lowest = 101.0f;
    for (CSxPBI* instance = s_head; instance; instance = instance->m_nextActive) {
        if (gameObj && instance->GameObj() != gameObj) continue;
        if (instance->IsStoppedByLimit() || instance->IsSentVirtual() || instance->IsVirtual()) continue;
        if (!(instance->Priority() < lowest || (allowEqual && instance->Priority() == lowest))) continue;
        if (!under(*instance) || (useVirtual && VirtualBehavior(instance->Node()) == 0)) continue;
        victim = instance;
        lowest = instance->Priority();
    }
    if (!victim || victim->Priority() > priority || (allowEqual && victim->Priority() == priority))
        return useVirtual ? SX_MustBeVirtual : SX_Fail;
    if (!useVirtual || VirtualBehavior(victim->Node()) == 1) victim->StopByLimit(0);
    return SX_Success;
}

SXRESULT CSxURenderer::Play(CSxSoundBase* node, CSxSource* source, SxPBIParams& params) {
    SxPriorityParams priority;
    node->GetPriority(params.gameObj, priority.basePriority, priority.distanceOffset);
    priority.priority = priority.basePriority;

    if (!CheckMemoryThreshold(priority.priority)) return SX_Refused;
    const SXRESULT voices = CheckMaxVoices(priority.priority);
    SxPlayCountRecord count;
    count.priority = priority.priority;
    count.gameObj = params.gameObj;
    const SXRESULT counted = node->IncrementPlayCount(count);
    auto undoCount = [&] {
        SxPlayCountRecord undo;
        undo.gameObj = params.gameObj;
        node->DecrementPlayCount(undo);
    };
    const bool mustBeVirtual = voices == SX_MustBeVirtual || counted == SX_MustBeVirtual;
    if ((counted != SX_Success && counted != SX_MustBeVirtual) || (mustBeVirtual && VirtualBehavior(node) == 1)) {
        undoCount();
        return SX_Refused;
    }

    CSxSource* playSource = source;
    if (source->IsExternal()) {
        const SXRESULT resolved = ResolveExternalSource(*source, params, playSource);
        if (resolved != SX_Success) {
            undoCount();
            return resolved;
        }
    }
    CSxPBIAware* maker = params.instigator ? params.instigator : node;
    CSxPBI* instance = maker->CreatePBI(node, playSource, params, priority);
    if (!instance) {
        if (playSource != source) SxDelete(g_DefaultPoolId, playSource);
        undoCount();
        return SX_Fail;
    }
    if (instance->Init() != SX_Success) {
        instance->Term(true);
        SxDelete(g_DefaultPoolId, instance);
        return SX_Fail;
    }
    instance->SetSampleOffset(params.sampleOffset);
    // The item of a paused chain starts paused, for as many resumes as the chain needs.
    AddAndStartPBI(instance, params.fade, instance->PauseCount() ? 1 : params.playMode);
    return SX_Success;
}

void CSxURenderer::AddAndStartPBI(CSxPBI* instance, const SxFadeParams& fade, uint32_t playMode) {
    instance->m_prevActive = s_tail;
    instance->m_nextActive = nullptr;
    (s_tail ? s_tail->m_nextActive : s_head) = instance;
    s_tail = instance;
    ++s_activeCount;
    instance->PrepareToPlay();
    instance->RefreshParameters();
    instance->PlayWithFade(fade, playMode == 1);
}

void CSxURenderer::Unlink(CSxPBI* instance) {
    (instance->m_prevActive ? instance->m_prevActive->m_nextActive : s_head) = instance->m_nextActive;
    (instance->m_nextActive ? instance->m_nextActive->m_prevActive : s_tail) = instance->m_prevActive;
    instance->m_nextActive = instance->m_prevActive = nullptr;
    --s_activeCount;
}

template <typename Fn>
static SXRESULT ForNodeInstances(CSxSoundBase* node, CSxRegisteredObj* gameObj, SxPlayingID playingID, Fn fn) {
    for (CSxPBI* instance = CSxURenderer::FirstActive(); instance;) {
        CSxPBI* next = CSxURenderer::NextActive(instance);
        if (instance->Node() == node && Matches(*instance, gameObj, playingID)) fn(*instance);
        instance = next;
    }
    return SX_Success;
}

SXRESULT CSxURenderer::Stop(CSxSoundBase* node, CSxRegisteredObj* gameObj, const SxFadeParams& fade,
                            SxPlayingID playingID) {
    return ForNodeInstances(node, gameObj, playingID, [&](CSxPBI& i) { i.StopWithFade(fade, true); });
}

SXRESULT CSxURenderer::Pause(CSxSoundBase* node, CSxRegisteredObj* gameObj, const SxFadeParams& fade,
                             SxPlayingID playingID) {
    return ForNodeInstances(node, gameObj, playingID, [&](CSxPBI& i) { i.PauseWithFade(fade); });
}

SXRESULT CSxURenderer::Resume(CSxSoundBase* node, CSxRegisteredObj* gameObj, const SxFadeParams& fade,
                              bool masterResume, SxPlayingID playingID) {
    return ForNodeInstances(node, gameObj, playingID, [&](CSxPBI& i) { i.ResumeWithFade(fade, masterResume); });
}

void CSxURenderer::ExecuteOnAll(const SxActionParams& params, const std::vector<SxUniqueID>& exceptions) {
    if (ISxExecuteOnAllListener* listener = s_executeOnAllListener.Installed())
        listener->ExecuteOnAll(params, exceptions);
    CSxSwitchCntr::ExecuteOnAllFollowed(params, exceptions);
    const SxFadeParams fade{params.transitionMs, params.curve};
    auto excepted = [&](const CSxPBI& instance) {
        for (const CSxParameterNodeBase* node = instance.Node(); node; node = node->Parent())
            if (std::find(exceptions.begin(), exceptions.end(), node->ID()) != exceptions.end()) return true;
        return false;
    };
    for (CSxPBI* instance = s_head; instance;) {
        CSxPBI* next = instance->m_nextActive;
        if (Matches(*instance, params.gameObj, params.playingID) && !excepted(*instance)) {
            switch (params.kind) {
                case SxActionKind_Stop:
                    instance->StopWithFade(fade, true);
                    break;
                case SxActionKind_Pause:
                    instance->PauseWithFade(fade);
                    break;
                case SxActionKind_Resume:
                    instance->ResumeWithFade(fade, params.flags[2] != 0);
                    break;
                case SxActionKind_Seek:
                    if (params.seekBits & 1) {
                        instance->SeekPercent(std::clamp(params.seekValue, 0.0f, 1.0f), params.seekBits & 2);
                    } else {
                        const auto ms = static_cast<int32_t>(params.seekValue);
                        instance->SeekTime(ms < 0 ? 0 : ms, params.seekBits & 2);
                    }
                    break;
                default:
                    break;
            }
        }
        instance = next;
    }
}

void CSxURenderer::Enforce(std::vector<CSxPBI*>& instances, uint32_t max, bool killNewest, bool useVirtual,
                           uint32_t reason) {
    if (max == 0 || instances.size() <= max) return;
    // Priority descending; among equals the oldest first with kill-newest, else the newest. A
    // heap sort: the audio thread's stack is small and this sort does not recurse.
    auto before = [&](const CSxPBI* a, const CSxPBI* b) {
        if (a->Priority() != b->Priority()) return a->Priority() > b->Priority();
        return killNewest ? a->SequenceNumber() < b->SequenceNumber() : a->SequenceNumber() > b->SequenceNumber();
    };
    std::make_heap(instances.begin(), instances.end(), before);
    std::sort_heap(instances.begin(), instances.end(), before);
    uint32_t audible = 0;
    for (CSxPBI* instance : instances) {
        if (audible < max) {
            if ((!instance->IsVirtual() || instance->m_wasLimited) && !instance->IsStoppedByLimit() &&
                !instance->IsSentVirtual())
                ++audible;
            continue;
        }
        if (instance->IsStoppedByLimit()) continue;
        const uint8_t behavior = useVirtual ? VirtualBehavior(instance->Node()) : 1;
        if (behavior == 1)
            instance->StopByLimit(reason);
        else if (behavior == 2)
            instance->m_sentVirtual = true;
    }
}

void CSxURenderer::ProcessLimiters() {
    std::vector<CSxPBI*> all;
    // The instances of limiting nodes, with the limiter each counts in: the node, and the game
    // object for a per-object limit.
    struct Limited {
        const void* limiter;
        CSxRegisteredObj* gameObj;
        CSxPBI* instance;
        uint16_t max;
        bool killNewest, useVirtual;
    };
    std::vector<Limited> limited;
    all.reserve(s_activeCount);
    for (CSxPBI* instance = s_head; instance; instance = instance->m_nextActive) {
        instance->m_wasLimited = instance->m_sentVirtual;
        instance->m_sentVirtual = false;
        all.push_back(instance);
        CSxParameterNodeBase* limiting = instance->Node()->LimitingNode();
        const uint8_t flags = limiting->FlagsA();
        const bool global = flags & CSxParameterNodeBase::kGlobalLimit;
        CSxRegisteredObj* gameObj = global ? nullptr : instance->GameObj();
        if (limiting->MaxInstances() != 0)
            limited.push_back(Limited{limiting, gameObj, instance, limiting->InstanceLimit(gameObj),
                                      bool(flags & CSxParameterNodeBase::kKillNewest),
                                      bool(flags & CSxParameterNodeBase::kUseVirtualBehavior)});
        // The bus that counts the instance against its own limit.
        if (CSxBus* bus = CSxBus::LimitingBusAndAddRef(instance->Node())) {
            if (bus->MaxInstances() != 0)
                limited.push_back(
                    Limited{bus, nullptr, instance, bus->MaxInstances(), bus->KillsNewest(), bus->UsesVirtual()});
            bus->Release();
        }
    }
    // The voice limit keeps the oldest among equals and uses the virtual behaviour.
    Enforce(all, g_u16MaxNumVoices, true, true, 1);
    // Side by side by limiter (heap sort again: no recursion on the audio thread's stack).
    auto byLimiter = [](const Limited& a, const Limited& b) {
        const std::less<const void*> less;
        return a.limiter != b.limiter ? less(a.limiter, b.limiter) : less(a.gameObj, b.gameObj);
    };
    std::make_heap(limited.begin(), limited.end(), byLimiter);
    std::sort_heap(limited.begin(), limited.end(), byLimiter);
    std::vector<CSxPBI*> group;
    for (size_t i = 0; i < limited.size();) {
        const Limited key = limited[i];
        group.clear();
        for (; i < limited.size() && limited[i].limiter == key.limiter && limited[i].gameObj == key.gameObj; ++i)
            group.push_back(limited[i].instance);
        Enforce(group, key.max, key.killNewest, key.useVirtual, 0);
    }
}

void CSxURenderer::Post(CSxPBI::RendererEntry& entry) {
    if (entry.queued) return;
    entry.queued = true;
    entry.next = nullptr;
    (s_cmdTail ? s_cmdTail->next : s_cmdHead) = &entry;
    s_cmdTail = &entry;
}

void CSxURenderer::PostStarted(CSxPBI& instance, float timeLeftMs) {
    instance.m_startedEntry.value = timeLeftMs;
    Post(instance.m_startedEntry);
}

void CSxURenderer::PostDestroyed(CSxPBI& instance, uint32_t argument) {
    instance.m_destroyEntry.value = static_cast<float>(argument);
    Post(instance.m_destroyEntry);
}

void CSxURenderer::DestroyInstance(CSxPBI* instance) {
    Unlink(instance);
    CSxLEngineCmds::DequeuePBI(*instance);
    instance->Term(false);
    SxDelete(g_DefaultPoolId, instance);
}

void CSxURenderer::ProcessCommands() {
    while (s_cmdHead) {
        CSxPBI::RendererEntry* entry = s_cmdHead;
        s_cmdHead = entry->next;
        if (!s_cmdHead) s_cmdTail = nullptr;
        entry->queued = false;
        CSxPBI* instance = entry->instance;
        if (entry->command == 3) {
            instance->m_lifecycle |= CSxPBI::kStarted;
            if (entry->value > 0.0f) instance->NotifyTimeLeft(entry->value);
            continue;
        }
        if (entry->value == 1.0f) {
            instance->m_lifecycle =
                static_cast<uint8_t>((instance->m_lifecycle & ~CSxPBI::kStarted) | CSxPBI::kFinished);
        }
        // Its start, if still queued behind, goes with it.
        if (instance->m_startedEntry.queued) {
            CSxPBI::RendererEntry** link = &s_cmdHead;
            CSxPBI::RendererEntry* previous = nullptr;
            while (*link != &instance->m_startedEntry) {
                previous = *link;
                link = &(*link)->next;
            }
            *link = instance->m_startedEntry.next;
            if (s_cmdTail == &instance->m_startedEntry) s_cmdTail = previous;
        }
        DestroyInstance(instance);
    }
}

}  // namespace SX
