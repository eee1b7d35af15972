#pragma once
// The sound system as the game starts it (the Manager: memory, the stream manager with the
// package IO over a scratch folder, the engine with its plug-ins and codecs, the music engine),
// with the audio thread stopped so that its frames run here on a manual clock, and the steps the
// whole-system fuzz targets share: banks loaded and unloaded, every event of a bank posted,
// sought, paused, resumed and stopped, and banks whose sounds play one media with each codec,
// from the bank and streamed.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/Clock.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/system/SoundManager.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tools/bankwriter/BankFile.h"

namespace fuzzsound {

namespace bw = bankwriter;

// Bank IDs the targets' own banks use; a fuzzed bank with the same ID is refused as loaded.
constexpr SX::SxBankID kInitBankID = 0x5EED0001;
constexpr SX::SxBankID kMediaBankID = 0x5EED0002;
// The codecs a media is played with: PCM, ADPCM and the compressed one.
constexpr uint32_t kCodecs[] = {1, 2, 4};

class System {
public:
    System() : folder_("/tmp/fuzz_sound_system_" + std::to_string(getpid()) + "/") {
        platform::audio::control::SetOpenFails(true);  // a sink that the manual clock paces
        mkdir(folder_.c_str(), 0755);
        bw::BankFile init;
        init.id = kInitBankID;
        init.records = {bw::Record(SX::SxHirc_Bus, bw::BusBody(0x5EED0100, bw::Bus()))};
        Write("Init.bnk", bw::WriteBank(init));
        manager_ = std::make_unique<SD::Manager>(SD::Manager::Settings{folder_, "", ""});
        manager_->Init();
        started_ = manager_->Started() && SX::g_pAudioMgr;
        if (started_) SX::g_pAudioMgr->StopThread();
    }

    bool Started() const { return started_; }
    SD::Manager& Manager() { return *manager_; }

    void Write(const std::string& name, const uint8_t* data, size_t size) {
        if (FILE* file = std::fopen((folder_ + name).c_str(), "wb")) {
            std::fwrite(data, 1, size, file);
            std::fclose(file);
        }
    }
    void Write(const std::string& name, const bw::Bytes& bytes) { Write(name, bytes.data(), bytes.size()); }

    // Audio frames of about 21 ms: the game's update, then the audio thread's work.
    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            manager_->Update(0.0214f);
            clock_.Advance(0.0214);
            SX::g_pAudioMgr->Perform();
        }
    }

    // A bank unloads through the audio thread: its frames run until the bank thread is done.
    // A bank that never unloads is a hang.
    void Unload(SX::SxBankID id) {
        std::atomic<bool> done{false};
        auto onDone = [](SX::SxBankID, SX::SXRESULT, SX::SxMemPoolId, void* cookie) {
            static_cast<std::atomic<bool>*>(cookie)->store(true);
        };
        if (SX::SoundEngine::UnloadBank(id, onDone, &done) != SX::SX_Success) return;
        for (int i = 0; i < 20000 && !done; ++i) {
            Frames(1);
            usleep(50);
        }
        if (!done) __builtin_trap();
    }

    // The events in the object index, at most max of them.
    static std::vector<SX::SxUniqueID> Events(size_t max) {
        std::vector<SX::SxUniqueID> ids;
        for (SX::CSxIndexable* event : SX::g_pObjectIndex->Table(SX::SxIndex_Event).Items()) {
            if (ids.size() == max) break;
            ids.push_back(event->ID());
        }
        return ids;
    }

    // Each event posted on the default object and on every object at once, then sought by
    // time and by fraction, paused, resumed, stopped by event and by playing ID; then all
    // stopped, and the frames run until what was stopped is gone.
    void PlayEvents(const std::vector<SX::SxUniqueID>& events, uint32_t variant) {
        const SX::SxGameObjectID object = SD::kDefaultSoundObject;
        for (size_t i = 0; i < events.size(); ++i) {
            const SX::SxUniqueID event = events[i];
            const SX::SxPlayingID id = SX::SoundEngine::PostEvent(event, object);
            SX::SoundEngine::PostEvent(event, SX::SxAllGameObjects);
            Frames(2);
            SX::SoundEngine::SeekOnEvent(event, object, static_cast<int32_t>((variant + i) % 4 * 250));
            SX::SoundEngine::SeekOnEvent(event, object, ((variant >> 2) + i) % 5 * 0.25f, (variant & 1) != 0);
            Frames(1);
            SX::SoundEngine::ExecuteActionOnEvent(event, SX::SxActionOnEvent_Pause, object, 20);
            Frames(1);
            SX::SoundEngine::ExecuteActionOnEvent(event, SX::SxActionOnEvent_Resume, object);
            Frames(1);
            SX::SoundEngine::ExecuteActionOnEvent(event, i % 2 ? SX::SxActionOnEvent_Break : SX::SxActionOnEvent_Stop,
                                                  object);
            SX::SoundEngine::StopPlayingID(id, 10);
            Frames(1);
        }
        SX::SoundEngine::StopAll();
        Frames(4);
    }

    // A bank of three sounds playing the media with each codec from the bank, and three more
    // streaming the file of that ID; events 1 to 6 play them. loops: 0 plays until stopped.
    static bw::Bytes MediaBank(const uint8_t* media, size_t size, uint32_t fileID, int32_t loops) {
        bw::BankFile bank;
        bank.id = kMediaBankID;
        bank.media = {{0x5EED0200, bw::Bytes(media, media + size)}};
        uint32_t next = 1;
        for (uint32_t codec : kCodecs)
            for (uint32_t streamType : {0u, 1u}) {
                bw::Source source;
                source.pluginID = codec << 16 | 1;
                source.streamType = streamType;
                source.mediaID = streamType == 0 ? 0x5EED0200 : 0;
                source.fileID = fileID;
                source.size = streamType == 0 ? static_cast<uint32_t>(size) : 0;
                bw::NodeBase node;
                node.props = {bw::PropI(SX::SxProp_LoopCount, loops)};
                const uint32_t sound = 0x5EED0300 + next, action = 0x5EED0400 + next;
                bank.records.push_back(bw::Record(SX::SxHirc_Sound, bw::SoundBody(sound, source, node)));
                bank.records.push_back(bw::Record(
                    SX::SxHirc_Action, bw::ActionBody(action, 0x0403, sound, {}, {}, bw::PlayParams(4, bank.id))));
                bank.records.push_back(bw::Record(SX::SxHirc_Event, bw::EventBody(next, {action})));
                ++next;
            }
        return bw::WriteBank(bank);
    }

    // Plays the media bank's six events for some frames each (a voice that never ends is
    // stopped), then unloads it.
    void PlayMediaBank(const bw::Bytes& bytes, int frames) {
        WithMemoryBank(bytes, [&] {
            for (SX::SxUniqueID event = 1; event <= 6; ++event) {
                SX::SoundEngine::PostEvent(event, SD::kDefaultSoundObject);
                Frames(frames);
                SX::SoundEngine::StopAll();
                Frames(2);
            }
        });
    }

    // Loads the bank from memory, runs play while it is loaded, then unloads it.
    template <typename Play>
    void WithMemoryBank(const bw::Bytes& bytes, Play play) {
        // An in-memory bank must lie at a 16-byte boundary.
        void* aligned = std::aligned_alloc(16, (bytes.size() + 15) & ~size_t(15));
        if (!aligned) return;
        std::memcpy(aligned, bytes.data(), bytes.size());
        SX::SxBankID id = 0;
        if (SX::SoundEngine::LoadBank(aligned, static_cast<uint32_t>(bytes.size()), id) == SX::SX_Success) {
            play();
            Unload(id);
        }
        std::free(aligned);
    }

private:
    std::string folder_;
    platform::ManualClock clock_;
    platform::ScopedClock scoped_{clock_};
    std::unique_ptr<SD::Manager> manager_;
    bool started_ = false;
};

// A little-endian word of the input (0 past its end).
inline uint32_t Word(const uint8_t* data, size_t size, size_t at) {
    uint32_t value = 0;
    if (at + 4 <= size) std::memcpy(&value, data + at, 4);
    return value;
}

}  // namespace fuzzsound
