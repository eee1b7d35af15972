#include "sound/engine/upper/CSxLEngineCmds.h"

#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/engine/upper/CSxPBI.h"

namespace SX {

ISxVoiceLayer* CSxLEngineCmds::s_voiceLayer = nullptr;
SxLowerCmdEntry* CSxLEngineCmds::s_head = nullptr;
SxLowerCmdEntry* CSxLEngineCmds::s_tail = nullptr;
SxLowerCmdEntry* CSxLEngineCmds::s_free = nullptr;
SxLowerCmdEntry* CSxLEngineCmds::s_block = nullptr;
uint32_t CSxLEngineCmds::s_count = 0;

namespace {
bool InBlock(const SxLowerCmdEntry* entry, const SxLowerCmdEntry* block) {
    return block && entry >= block && entry < block + CSxLEngineCmds::kPreallocated;
}
}  // namespace

SXRESULT CSxLEngineCmds::Init() {
    Term();
    s_block = static_cast<Entry*>(MemoryMgr::Malloc(g_DefaultPoolId, sizeof(Entry) * kPreallocated));
    if (!s_block) return SX_InsufficientMemory;
    for (uint32_t i = 0; i < kPreallocated; ++i) {
        new (&s_block[i]) Entry();
        s_block[i].next = i + 1 < kPreallocated ? &s_block[i + 1] : nullptr;
    }
    s_free = s_block;
    return SX_Success;
}

void CSxLEngineCmds::Term() {
    while (s_head) {
        Entry* entry = s_head;
        s_head = entry->next;
        Recycle(entry);
    }
    s_tail = nullptr;
    s_count = 0;
    s_free = nullptr;
    if (s_block) MemoryMgr::Free(g_DefaultPoolId, s_block);
    s_block = nullptr;
}

void CSxLEngineCmds::Append(Entry* entry) {
    entry->next = nullptr;
    entry->queued = true;
    if (s_tail)
        s_tail->next = entry;
    else
        s_head = entry;
    s_tail = entry;
    ++s_count;
}

void CSxLEngineCmds::Recycle(Entry* entry) {
    entry->queued = false;
    if (entry->reserved) return;
    if (InBlock(entry, s_block)) {
        entry->next = s_free;
        s_free = entry;
    } else {
        MemoryMgr::Free(g_DefaultPoolId, entry);
    }
}

SXRESULT CSxLEngineCmds::Enqueue(SxLowerCommand command, CSxPBI& instance) {
    if (command == SxLowerCmd_Stop) {
        EnqueueStop(instance);
        return SX_Success;
    }
    Entry* entry = s_free;
    if (entry)
        s_free = entry->next;
    else if (void* memory = MemoryMgr::Malloc(g_DefaultPoolId, sizeof(Entry)))
        entry = new (memory) Entry();
    if (!entry) return SX_Fail;
    entry->instance = &instance;
    entry->command = command;
    entry->batch = g_uSxAudioFrameCounter;
    entry->reserved = false;
    Append(entry);
    if (command == SxLowerCmd_Play || command == SxLowerCmd_PlayPaused) {
        ++instance.m_queuedPlay;
        instance.m_playBatch = entry->batch;
    }
    return SX_Success;
}

void CSxLEngineCmds::EnqueueStop(CSxPBI& instance) {
    if (instance.m_queuedPlay && !instance.m_voice) {
        // The voice never started: nothing reaches the lower engine and the instance ends.
        DequeuePBI(instance);
        instance.Destroy(1);
        return;
    }
    Entry& entry = instance.m_stopEntry;
    if (entry.queued) return;
    entry.instance = &instance;
    entry.command = SxLowerCmd_Stop;
    entry.batch = g_uSxAudioFrameCounter;
    entry.reserved = true;
    Append(&entry);
}

void CSxLEngineCmds::DequeuePBI(CSxPBI& instance) {
    Entry* previous = nullptr;
    for (Entry* entry = s_head; entry;) {
        Entry* next = entry->next;
        if (entry->instance == &instance) {
            (previous ? previous->next : s_head) = next;
            if (s_tail == entry) s_tail = previous;
            --s_count;
            Recycle(entry);
        } else {
            previous = entry;
        }
        entry = next;
    }
    instance.m_queuedPlay = 0;
}

void CSxLEngineCmds::ExecuteCommands() {
    while (s_head) {
        Entry* entry = s_head;
        s_head = entry->next;
        if (!s_head) s_tail = nullptr;
        --s_count;
        CSxPBI& instance = *entry->instance;
        const auto command = static_cast<SxLowerCommand>(entry->command);
        Recycle(entry);
        switch (command) {
            case SxLowerCmd_Play:
            case SxLowerCmd_PlayPaused:
                if (instance.m_queuedPlay) --instance.m_queuedPlay;
                // No voice layer, or nothing it can play: the instance ends without sounding.
                if (!s_voiceLayer || !s_voiceLayer->StartVoice(instance, command == SxLowerCmd_PlayPaused))
                    instance.Destroy(0);
                break;
            default:
                if (instance.m_voice && s_voiceLayer)
                    s_voiceLayer->Command(instance, command);
                else if (command == SxLowerCmd_Stop)
                    instance.Destroy(0);
                break;
        }
    }
}

}  // namespace SX
