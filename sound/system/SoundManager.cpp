#include "sound/system/SoundManager.h"

#include <algorithm>
#include <cmath>

#include "core/Logger.h"
#include "engine/GameObject.h"
#include "sound/engine/bank/SxBankCalls.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/vorbis/CSxSrcBankVorbis.h"
#include "sound/music/SxMusicEngine.h"
#include "sound/plugins/effects/SxEffectPluginsRegistry.h"
#include "sound/plugins/motion/SxMotionPluginsRegistry.h"
#include "sound/plugins/studio/StudioPlugins.h"
#include "sound/plugins/synth/SxSourcePluginsRegistry.h"
#include "sound/stream/manager/SxStreamMgr.h"
#include "sound/system/SxBankHooks.h"

namespace SD {
namespace {

constexpr uint32_t kMaxPools = 20;
constexpr uint32_t kEnginePoolSize = 0x500000;
constexpr int32_t kDefaultPool = -1;
constexpr uint32_t kThreadStack = 256 * 1024;
constexpr char kInitBank[] = "Init.bnk";

// The music engine is started after the sound engine, with its default settings, and ended
// before it.
SX::SXRESULT StartMusicEngine() {
    SX::SxMusicSettings settings;
    SX::MusicEngine::GetDefaultInitSettings(settings);
    return SX::MusicEngine::Init(&settings);
}

SX::SxGameObjectID ObjectOrDefault(SX::SxGameObjectID object) { return object ? object : kDefaultSoundObject; }

std::wstring Widen(const std::string& text) {
    const std::string cut = text.substr(0, 255);
    return std::wstring(cut.begin(), cut.end());
}

// A listener vector the engine can take: no NaN, infinity or denormal.
bool Usable(float v) { return std::fpclassify(v) == FP_ZERO || std::fpclassify(v) == FP_NORMAL; }

}  // namespace

std::vector<std::string> SplitNames(const std::string& text) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) names.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

Manager::Manager(Settings settings) : settings_(std::move(settings)) {}

Manager::~Manager() {
    if (hooksInstalled_) RemoveBankHooks();
    if (musicStarted_) SX::MusicEngine::Term();
    if (engineStarted_ && SX::SoundEngine::IsInitialized()) SX::SoundEngine::Term();
    if (streamsCreated_ && SX::ISxStreamMgr::m_pStreamMgr) {
        lowLevelIO_.Term();
        SX::ISxStreamMgr::m_pStreamMgr->Destroy();
    }
    if (memoryStarted_ && SX::MemoryMgr::IsInitialized()) SX::MemoryMgr::Term();
}

void Manager::Fail(const std::string& what) {
    failures_.push_back(what);
    SD_WARNING(Debug::kLogError, "Sound: %s", what.c_str());
}

bool Manager::StartEngine() {
    SX::SxMemoryMgrSettings memory;
    memory.maxPools = kMaxPools;
    SX::SXRESULT result = SX::MemoryMgr::Init(&memory);
    if (result != SX::SX_Success) {
        Fail("SX::MemoryMgr::Init() returned SXRESULT " + std::to_string(result));
        return false;
    }
    memoryStarted_ = true;
    SX::SxStreamMgrSettings streams;
    SX::StreamMgr::GetDefaultSettings(streams);
    if (!SX::StreamMgr::Create(streams)) {
        Fail("SX::StreamMgr::Create() failed");
        return false;
    }
    streamsCreated_ = true;
    SX::SxDeviceSettings device;
    SX::StreamMgr::GetDefaultDeviceSettings(device);
    result = lowLevelIO_.Init(device);
    if (result != SX::SX_Success) {
        Fail("m_lowLevelIO.Init() returned SXRESULT " + std::to_string(result));
        return false;
    }
    SX::SxInitSettings init;
    SX::SxPlatformInitSettings platform;
    SX::SoundEngine::GetDefaultInitSettings(init);
    SX::SoundEngine::GetDefaultPlatformInitSettings(platform);
    init.defaultPoolSize = kEnginePoolSize;
    platform.lowerEnginePoolSize = kEnginePoolSize;
    init.enableGameSyncPreparation = settings_.gameSyncPreparation ? 1 : 0;
    // The defaults' 8 KB stacks are too small here: mixing a full output frame overflowed them.
    platform.audioThread.stackSize = std::max(platform.audioThread.stackSize, kThreadStack);
    platform.bankThread.stackSize = std::max(platform.bankThread.stackSize, kThreadStack);
    result = SX::SoundEngine::Init(&init, &platform);
    if (result != SX::SX_Success) {
        Fail("SX::SoundEngine::Init() returned SXRESULT " + std::to_string(result));
        return false;
    }
    engineStarted_ = true;
    // The engine runs on without a device, into a sink that nobody hears.
    if (!SX::CSxLEngine::UsingDeviceSink()) Fail("no sound output device: the sound is not heard");
    result = StartMusicEngine();
    if (result != SX::SX_Success) {
        Fail("SX::MusicEngine::Init() returned SXRESULT " + std::to_string(result));
        return false;
    }
    musicStarted_ = true;
    // Each registration stands alone: one that fails leaves the others' sounds playing.
    SX::RegisterSourcePlugins();
    SX::RegisterEffectPlugins();
    SX::RegisterStudioPlugins();
    SX::RegisterVorbisCodec();
    result = SX::RegisterMotionPlugins();
    if (result != SX::SX_Success) {
        Fail("the motion plug-ins did not register: SXRESULT " + std::to_string(result));
        return false;
    }
    SX::MotionEngine::AddPlayerMotionDevice(0, 0, SX::kRumbleDeviceID, nullptr);
    SX::MotionEngine::SetPlayerListener(0, 0);
    if (SX::SoundEngine::SetListenerPipeline(0, true, true) != SX::SX_Success) {
        Fail("SX::SoundEngine::SetListenerPipeline() failed");
        return false;
    }
    return true;
}

void Manager::Init() {
    started_ = StartEngine();
    // Nothing can be loaded into an engine that did not start.
    if (!started_) return;
    InstallBankHooks();
    hooksInstalled_ = true;
    lowLevelIO_.SetBasePath(Widen(settings_.basePath).c_str());
    for (const std::string& package : SplitNames(settings_.packages)) {
        uint32_t id = 0;
        const SX::SXRESULT result = lowLevelIO_.LoadPackage(Widen(package).c_str(), id);
        if (result == SX::SX_Success || result == SX::SX_LanguageNotLoaded)
            packages_.push_back(id);
        else
            Fail("package \"" + package + "\" did not load: SXRESULT " + std::to_string(result));
    }
    LoadBank(kInitBank);
    for (const std::string& bank : SplitNames(settings_.banks)) LoadBank(bank);
    PrepareEvents();
    RegisterObject(kDefaultSoundObject, "Dummy");
}

void Manager::PrepareEvents() {
    for (const std::string& name : SplitNames(settings_.preparedEvents)) {
        const SX::SxUniqueID id = SX::SoundEngine::GetIDFromString(name.c_str());
        const SX::SXRESULT result = SX::SoundEngine::PrepareEvent(SX::SxPreparation_Load, &id, 1);
        if (result == SX::SX_Success)
            preparedEvents_.push_back(id);
        else
            Fail("event \"" + name + "\" was not prepared: SXRESULT " + std::to_string(result));
    }
}

void Manager::KeepPrepared(uint32_t groupType, uint32_t group, const std::vector<uint32_t>& values) {
    if (!started_) return;
    PreparedGroup& prepared = prepared_[group];
    prepared.type = groupType;
    std::vector<uint32_t> gone, fresh;
    for (uint32_t value : prepared.values)
        if (std::find(values.begin(), values.end(), value) == values.end()) gone.push_back(value);
    for (uint32_t value : values)
        if (std::find(prepared.values.begin(), prepared.values.end(), value) == prepared.values.end())
            fresh.push_back(value);
    // The new values first, so that media both need stay loaded across the change.
    if (!fresh.empty()) {
        const SX::SXRESULT result = SX::SoundEngine::PrepareGameSyncs(
            SX::SxPreparation_Load, groupType, group, fresh.data(), static_cast<uint32_t>(fresh.size()));
        if (result == SX::SX_Success)
            prepared.values.insert(prepared.values.end(), fresh.begin(), fresh.end());
        else
            Fail("values of group " + std::to_string(group) + " were not prepared: SXRESULT " + std::to_string(result));
    }
    if (!gone.empty() && SX::SoundEngine::PrepareGameSyncs(SX::SxPreparation_Unload, groupType, group, gone.data(),
                                                           static_cast<uint32_t>(gone.size())) == SX::SX_Success) {
        for (uint32_t value : gone)
            prepared.values.erase(std::find(prepared.values.begin(), prepared.values.end(), value));
    }
}

void Manager::UnprepareAll() {
    for (SX::SxUniqueID id : preparedEvents_) SX::SoundEngine::PrepareEvent(SX::SxPreparation_Unload, &id, 1);
    preparedEvents_.clear();
    for (auto& [group, prepared] : prepared_)
        if (!prepared.values.empty())
            SX::SoundEngine::PrepareGameSyncs(SX::SxPreparation_Unload, prepared.type, group, prepared.values.data(),
                                              static_cast<uint32_t>(prepared.values.size()));
    prepared_.clear();
}

void Manager::LoadBank(const std::string& name) {
    SX::SxBankID id = 0;
    lastBankResult_ = SX::SoundEngine::LoadBank(Widen(name).c_str(), kDefaultPool, id);
    if (lastBankResult_ != SX::SX_Success) {
        Fail("bank \"" + name + "\" did not load: SXRESULT " + std::to_string(lastBankResult_));
        return;
    }
    banks_[name] = id;
    bankOrder_.push_back(name);
}

void Manager::Term() {
    if (!started_) return;
    for (SX::SxPlayingID id : withCallbacks_) SX::SoundEngine::CancelEventCallback(id);
    withCallbacks_.clear();
    for (SX::SxPlayingID id : toStop_) SX::SoundEngine::StopPlayingID(id, 0, SX::SxCurve_Linear);
    toStop_.clear();
    for (const auto& object : objects_) SX::SoundEngine::UnregisterGameObj(object.second);
    objects_.clear();
    // The stops must reach the audio thread before the banks their voices play from can go.
    SX::SoundEngine::RenderAudio();
    UnprepareAll();
    // Banks go in the reverse order of loading: "Init.bnk" last.
    for (auto name = bankOrder_.rbegin(); name != bankOrder_.rend(); ++name) {
        const auto found = banks_.find(*name);
        if (found != banks_.end()) lastBankResult_ = SX::SoundEngine::UnloadBank(found->second);
        banks_.erase(*name);
    }
    bankOrder_.clear();
    for (uint32_t id : packages_) lowLevelIO_.UnloadPackage(id);
    packages_.clear();
}

void Manager::UpdateListener() {
    GameObject* listener = listener_.get();
    if (!listener) return;
    Transform& transform = listener->GetTransform();
    const Vec3 front = transform.GetDir();
    const Vec3 top = transform.GetUp();
    const Vec3 position = transform.GetPos();
    const float all[9] = {front.x, front.y, front.z, top.x, top.y, top.z, position.x, position.y, position.z};
    if (!std::all_of(all, all + 9, Usable)) return;
    SX::SxListenerPosition at;
    at.front = {front.x, front.y, front.z};
    at.top = {top.x, top.y, top.z};
    at.position = {position.x, position.y, position.z};
    SX::SoundEngine::SetListenerPosition(at, 0);
}

void Manager::Update(float) {
    if (!started_) return;
    UpdateListener();
    // Events that have ended need neither stopping nor cancelling any more.
    if (SX::g_pPlayingMgr) {
        const auto ended = [](SX::SxPlayingID id) { return !SX::g_pPlayingMgr->IsActive(id); };
        toStop_.erase(std::remove_if(toStop_.begin(), toStop_.end(), ended), toStop_.end());
        withCallbacks_.erase(std::remove_if(withCallbacks_.begin(), withCallbacks_.end(), ended), withCallbacks_.end());
    }
    SX::SoundEngine::RenderAudio();
}

void Manager::Remember(SX::SxPlayingID id, bool withCallback) {
    if (id == 0) return;
    ++soundsPlayed_;
    toStop_.push_back(id);
    if (withCallback) withCallbacks_.push_back(id);
}

void Manager::SetParameter(SX::SxUniqueID parameter, float value, SX::SxGameObjectID object) {
    SX::SoundEngine::SetRTPCValue(parameter, value, ObjectOrDefault(object), 0, SX::SxCurve_Linear);
}

void Manager::SetParameterOnAll(SX::SxUniqueID parameter, float value) {
    SX::SoundEngine::SetRTPCValue(parameter, value, SX::SxAllGameObjects, 0, SX::SxCurve_Linear);
}

void Manager::SetGlobalVolume(float value) {
    SX::SoundEngine::SetRTPCValue("GlobalVolume", value, SX::SxAllGameObjects, 0, SX::SxCurve_Linear);
}

SX::SxPlayingID Manager::PostEvent(SX::SxUniqueID event, SX::SxGameObjectID object) {
    const SX::SxPlayingID id = SX::SoundEngine::PostEvent(event, ObjectOrDefault(object));
    Remember(id, false);
    return id;
}

SX::SxPlayingID Manager::PostEvent(const char* event, SX::SxGameObjectID object, uint32_t flags,
                                   SX::SxCallbackFunc callback, void* cookie) {
    const SX::SxPlayingID id = SX::SoundEngine::PostEvent(event, ObjectOrDefault(object), flags, callback, cookie);
    Remember(id, callback != nullptr);
    return id;
}

void Manager::RegisterObject(SX::SxGameObjectID object, const std::string& name) {
    SX::SoundEngine::RegisterGameObj(ObjectOrDefault(object));
    objects_[name] = ObjectOrDefault(object);
}

void Manager::UnregisterObject(const std::string& name, SX::SxGameObjectID object) {
    const auto found = objects_.find(name);
    if (found == objects_.end() || found->second != ObjectOrDefault(object)) return;
    UnregisterObject(name);
}

void Manager::UnregisterObject(const std::string& name) {
    const auto found = objects_.find(name);
    if (found == objects_.end()) return;
    SX::SoundEngine::UnregisterGameObj(found->second);
    objects_.erase(found);
}

}  // namespace SD
