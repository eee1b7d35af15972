#pragma once
// The engine's own sound subsystem: starts the whole sound engine (memory, streams, the file
// IO with its packages, the engine, the plug-ins), loads the banks, keeps the game objects and
// playing IDs it handed out, renders each frame, and shuts everything down again.
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/GameObjectHandle.h"
#include "platform/TestProbe.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/stream/package/CSxFilePackageLowLevelIO.h"
#include "sound/system/IGhostSubsystem.h"

namespace SD {

// The object the convenience calls use for game-object ID 0.
constexpr SX::SxGameObjectID kDefaultSoundObject = 100;

class Manager final : public IGhostSubsystem {
public:
    // The texts that start-up reads from the configuration.
    struct Settings {
        std::string basePath;
        std::string banks;     // bank names separated by spaces, loaded after "Init.bnk"
        std::string packages;  // file packages separated by spaces, loaded before the banks
        // Switch containers load only the media of the values prepared (KeepPrepared).
        bool gameSyncPreparation = false;
        // Events prepared after the banks load (their content may be in banks never loaded),
        // separated by spaces; unprepared at Term.
        std::string preparedEvents{};
    };

    explicit Manager(Settings settings);
    ~Manager() override;
    Manager(const Manager&) = delete;
    Manager& operator=(const Manager&) = delete;

    const char* GetName() const override { return "Manager"; }
    void Init() override;
    void Term() override;
    void Update(float dt) override;

    // Convenience calls for the game side; game object 0 stands for the default object.
    void SetParameter(SX::SxUniqueID parameter, float value, SX::SxGameObjectID object);
    void SetParameterOnAll(SX::SxUniqueID parameter, float value);
    // Sets the game parameter the master bus of the banks follows for the player's volume (its
    // name, "GlobalVolume", is written in its definition and in the bank description only).
    void SetGlobalVolume(float value);
    SX::SxPlayingID PostEvent(SX::SxUniqueID event, SX::SxGameObjectID object);
    SX::SxPlayingID PostEvent(const char* event, SX::SxGameObjectID object, uint32_t flags = 0,
                              SX::SxCallbackFunc callback = nullptr, void* cookie = nullptr);
    void RegisterObject(SX::SxGameObjectID object, const std::string& name);
    void UnregisterObject(const std::string& name);
    // The same for the object of that ID alone: a name that another object took since (game
    // objects may share a name) is left with that object.
    void UnregisterObject(const std::string& name, SX::SxGameObjectID object);
    // Leaves exactly these values of a state or switch group prepared: the others this manager
    // prepared are unprepared, the new ones prepared. Blocks until the bank thread has done it.
    void KeepPrepared(uint32_t groupType, uint32_t group, const std::vector<uint32_t>& values);
    void SetListener(const GameObjectHandle& listener) { listener_ = listener; }
    const GameObjectHandle& GetListener() const { return listener_; }

    // True when the sound engine started; the failures are each logged once when they happen.
    bool Started() const { return started_; }
    const std::vector<std::string>& Failures() const { return failures_; }
    // Events posted that the engine accepted.
    unsigned long SoundsPlayed() const { return soundsPlayed_; }
    SX::CSxFilePackageLowLevelIOBlocking& LowLevelIO() { return lowLevelIO_; }

private:
    friend struct platform::TestProbe<Manager>;

    bool StartEngine();
    void Fail(const std::string& what);
    void LoadBank(const std::string& name);
    void Remember(SX::SxPlayingID id, bool withCallback);
    void PrepareEvents();
    void UnprepareAll();
    void UpdateListener();

    Settings settings_;
    GameObjectHandle listener_;
    std::map<std::string, SX::SxBankID> banks_;
    std::vector<std::string> bankOrder_;  // as loaded, unloaded in reverse
    std::unordered_map<std::string, SX::SxGameObjectID> objects_;
    std::vector<SX::SxPlayingID> withCallbacks_;
    std::vector<SX::SxPlayingID> toStop_;
    std::vector<uint32_t> packages_;
    std::vector<SX::SxUniqueID> preparedEvents_;
    struct PreparedGroup {
        uint32_t type = 0;
        std::vector<uint32_t> values;
    };
    std::map<uint32_t, PreparedGroup> prepared_;  // by group ID
    SX::SXRESULT lastBankResult_ = SX::SX_Success;
    std::vector<std::string> failures_;
    unsigned long soundsPlayed_ = 0;
    bool started_ = false;
    // What this manager started, and so ends (an engine someone else runs is left alone).
    bool memoryStarted_ = false;
    bool engineStarted_ = false;
    bool streamsCreated_ = false;
    bool musicStarted_ = false;
    bool hooksInstalled_ = false;
    SX::CSxFilePackageLowLevelIOBlocking lowLevelIO_;
};

// Splits at spaces; empty tokens are dropped.
std::vector<std::string> SplitNames(const std::string& text);

}  // namespace SD
