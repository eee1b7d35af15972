#pragma once
// A whole sound engine with its audio thread stopped, so that a test runs the audio frames
// itself, and the hierarchy records it loads from bank-writer bytes.
#include <gtest/gtest.h>

#include <vector>

#include "platform/os/Clock.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tools/bankwriter/BankWriter.h"

namespace sxtest {

class HierarchyEngine : public ::testing::Test {
protected:
    void SetUp() override {
        platform::audio::control::Reset();
        platform::audio::control::SetOpenFails(true);  // the silent sink paces frames by the clock
        SX::SxMemoryMgrSettings settings;
        settings.maxPools = 8;
        ASSERT_EQ(SX::MemoryMgr::Init(&settings), SX::SX_Success);
        ASSERT_EQ(SX::SoundEngine::Init(nullptr, nullptr), SX::SX_Success);
        SX::g_pAudioMgr->StopThread();
    }
    void TearDown() override {
        Unload();
        SX::SoundEngine::Term();
        SX::MemoryMgr::Term();
        platform::audio::control::Reset();
    }

    // Reads the records as one HIRC chunk, as a bank load does; the objects stay loaded.
    SX::SXRESULT Load(const std::vector<bankwriter::Bytes>& records) {
        const bankwriter::Bytes chunk = bankwriter::HircChunk(records);
        return SX::SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded);
    }
    // Releases what Load loaded, as a bank unload does.
    void Unload() {
        platform::Lock lock(SX::g_csMain);
        for (SX::CSxIndexable* object : loaded) object->Release();
        loaded.clear();
    }
    // The object while it is loaded (no reference kept).
    template <typename T>
    T* Find(SX::SxIndexTable table, SX::SxUniqueID id) {
        SX::CSxIndexable* object = SX::g_pObjectIndex->GetPtrAndAddRef(table, id);
        if (!object) return nullptr;
        object->Release();
        return dynamic_cast<T*>(object);
    }
    // Applies the queued messages and due actions without rendering a frame.
    void ApplyMessages() {
        SX::SoundEngine::RenderAudio();
        SX::g_pAudioMgr->Perform();
    }
    // One audio frame: messages, actions, the lower engine's commands, then its reports.
    void RunFrame() {
        SX::SoundEngine::RenderAudio();
        clock.Advance(0.022);  // a little over one 1024-sample buffer at 48000 Hz
        SX::g_pAudioMgr->Perform();
    }

    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::vector<SX::CSxIndexable*> loaded;
};

}  // namespace sxtest
