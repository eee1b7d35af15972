#pragma once
// The engine's sound system started on the game's banks as the configuration names them, with
// the audio thread held: what the game posts waits in the sound engine, where a test reads each
// accepted event by name on the sound object it went to, and each music trigger.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/ConfigFile.h"
#include "engine/GameObject.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/SoundManager.h"
#include "support/TempTree.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxAudioMgrProbe.h"
#include "tests/sound/engine/SxStateProbes.h"

namespace gametest {

// The banks and packages as the configuration names them, from the sound folder of the sources.
inline SD::Manager::Settings ConfiguredSoundSettings() {
    SD::ConfigFile config(qvtest::SourceDir() + "/Assets/Config/config.ini");
    config.SetSection("GhostEngine");
    return SD::Manager::Settings{qvtest::SourceDir() + "/Assets/Sound/", config.GetString("Banks", ""),
                                 config.GetString("Packages", "")};
}

class HeldSoundSystem {
public:
    // Starts the sound system of the engine's sound instance (made here if there is none).
    HeldSoundSystem() {
        platform::audio::control::Reset();
        ghost_.SetSettings(ConfiguredSoundSettings());
        ghost_.Initialize();
        started_ = ghost_.GetManager() && ghost_.GetManager()->Started();
        EXPECT_TRUE(started_) << "the game's sound system did not start";
        if (started_) SX::g_pAudioMgr->StopThread();
    }
    // The banks unload through the audio thread: it runs again first. The sound instance goes,
    // so that the next one starts its own sound system.
    ~HeldSoundSystem() {
        if (started_) {
            // With a stack as large as the sound system gives it: the music played on the way
            // overflows the default's.
            SX::SxThreadProperties audioThread;
            audioThread.stackSize = 256 * 1024;
            EXPECT_EQ(SX::g_pAudioMgr->Start(audioThread), SX::SX_Success);
        }
        ghost_.Shutdown();
        delete &ghost_;
        platform::audio::control::Reset();
    }
    HeldSoundSystem(const HeldSoundSystem&) = delete;
    HeldSoundSystem& operator=(const HeldSoundSystem&) = delete;

    // Event names and objects the posts are read with; anything else reads as its number.
    void Name(const std::vector<std::string>& events) {
        for (const std::string& event : events) events_[SX::SoundEngine::GetIDFromString(event.c_str())] = event;
    }
    void Name(const SD::GameObject* object) { objects_[ghost_.SoundObjectID(object)] = object->GetName(); }
    // Posts to this object are not read back.
    void Ignore(const SD::GameObject* object) { ignored_.push_back(ghost_.SoundObjectID(object)); }

    // "<event> on <object>" for each event posted since the last Forget, oldest first; the game's
    // global sound object reads as "global".
    std::vector<std::string> Posts() const {
        std::vector<std::string> posts;
        for (const SX::SxPostInfo& post : Unread())
            posts.push_back(Read(events_, post.eventID) + " on " + ObjectName(post.gameObj));
        return posts;
    }
    // The same, event names only.
    std::vector<std::string> Events() const {
        std::vector<std::string> events;
        for (const SX::SxPostInfo& post : Unread()) events.push_back(Read(events_, post.eventID));
        return events;
    }
    // The music triggers posted since the last Forget, oldest first, named as the events are.
    std::vector<std::string> Triggers() const {
        std::vector<std::string> triggers;
        if (!started_) return triggers;
        const std::vector<SX::SxMsgTrigger> queued = qvtest::AudioMgrProbe::QueuedTriggers(*SX::g_pAudioMgr);
        for (size_t i = forgottenTriggers_; i < queued.size(); ++i)
            triggers.push_back(Read(events_, queued[i].trigger));
        return triggers;
    }
    // Posts and triggers so far are not read again.
    void Forget() {
        if (!started_) return;
        for (const SX::SxPostInfo& post : qvtest::PlayingProbe::LivePosts(*SX::g_pPlayingMgr))
            forgotten_ = post.playingID;
        forgottenTriggers_ = qvtest::AudioMgrProbe::QueuedTriggers(*SX::g_pAudioMgr).size();
    }

private:
    std::vector<SX::SxPostInfo> Unread() const {
        std::vector<SX::SxPostInfo> posts;
        if (!started_) return posts;
        for (const SX::SxPostInfo& post : qvtest::PlayingProbe::LivePosts(*SX::g_pPlayingMgr)) {
            bool ignore = post.playingID <= forgotten_;
            for (SX::SxGameObjectID object : ignored_) ignore = ignore || object == post.gameObj;
            if (!ignore) posts.push_back(post);
        }
        return posts;
    }
    static std::string Read(const std::map<uint32_t, std::string>& names, uint32_t id) {
        const auto found = names.find(id);
        if (found != names.end()) return found->second;
        char text[16];
        std::snprintf(text, sizeof text, "%08X", id);
        return text;
    }
    std::string ObjectName(SX::SxGameObjectID object) const {
        return object == SD::kDefaultSoundObject ? "global" : Read(objects_, static_cast<uint32_t>(object));
    }

    SD::GhostEngine_& ghost_ = SD::GhostEngine_::GetInstance();
    bool started_ = false;
    std::map<uint32_t, std::string> events_;
    std::map<uint32_t, std::string> objects_;
    std::vector<SX::SxGameObjectID> ignored_;
    uint32_t forgotten_ = 0;
    size_t forgottenTriggers_ = 0;
};

}  // namespace gametest
