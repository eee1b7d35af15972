// The game's sound heard from outside: the whole game runs headless in this process, driven
// through the menu into the world as a player would, while the output device captures what the
// sound engine mixes. Time is the test's: the frame limiter holds each frame to two buffers of
// the output device on a clock that moves only when read, and the end of each frame renders the
// buffers due, the audio thread held still meanwhile, so the capture keeps step with the game. The capture is then measured: the music from the menu on, the narration
// ducking it, the flight wind rising with speed, a positioned sound louder near and on its side,
// the music turning with the season, the thunder rumbling the pad, and nothing clipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/GameStartup.h"
#include "engine/ComponentID.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Level.h"
#include "engine/Transform.h"
#include "game/GameRegistration.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/AudioLogic.h"
#include "game/systems/SowlarSystem.h"
#include "physics/Body.h"
#include "platform/os/Clock.h"
#include "platform/pad/Pad.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/Registration.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/plugins/motion/SxRumbleController.h"
#include "sound/system/Phantom.h"
#include "sound/system/SoundSystemRegistration.h"
#include "support/HeldKeys.h"
#include "support/StepScript.h"
#include "support/TempTree.h"
#include "tests/app/GameDriving.h"
#include "tests/app/CapturedSound.h"

namespace {

using qvtest::Running;
using qvtest::SetConfig;

namespace control = platform::audio::control;
using qvtest::CapturedSound;
using qvtest::Db;

// The pitches of the sample sounds that the measures listen for.
constexpr double kSeasonRoot[] = {261.63, 293.66, 220.00, 164.81, 261.63};  // C4, D4, A3, E3, C4
// The wind synth rings at 700 Hz at the vehicle's cruising speed (flight speed 30, a wind of
// 48 m/s) and its pitch goes with the wind's speed, which is 4 m/s at rest, between them
// evenly in cents.
double FlightWindHz(double flightSpeed) {
    return 700.0 * std::exp2((std::min(flightSpeed, 30.0) / 30.0 - 1.0) * std::log2(48.0 / 4.0));
}
constexpr double kWaterHz = 2500.0;
// Two of the thunder's modes (its lowest, at 41.2 Hz, is rung too weakly to stand out).
constexpr double kThunderModesHz[] = {55.0, 73.4};
constexpr double kFirstLineHz = 180.0;
// The narration bus ducks the music by 12 dB.
constexpr double kNarrationDuckDb = -12.0;
// One buffer of the output device: 1024 frames at 48 kHz.
constexpr double kBufferSeconds = 1024.0 / 48000.0;

// Steps run one after the other at the end of frames; a step answers true when it is done. The
// captured length at the end of a step is kept under the step's name.
struct Script : qvtest::StepScript {
    Script() { limit = 2000; }
    std::set<uint32_t> keys;
    bool injectorAdded = false;
    bool audioHeld = false;
    std::map<std::string, size_t> at;  // step name: the captured frame count when it was done
    std::vector<std::pair<size_t, float>> flightSpeed;  // captured frame count, the game's flight speed

    // The flight speed the game sends its sound, as it computes it from the vehicle.
    static float FlightSpeed() {
        SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
        auto* logic = player ? static_cast<QV::PlayerLogic*>(player->GetComponent(SD::CID_Player)) : nullptr;
        auto* body = player ? static_cast<Gedankenexperiment::Body*>(player->GetComponent(SD::CID_Body)) : nullptr;
        if (!logic || !body || logic->GetForwardSpeed() == 0.0f) return 0.0f;
        return body->GetVelocity().Length() / logic->GetForwardSpeed() * 150.0f;
    }
    // Its mean over captured frames [from, to).
    double MeanFlightSpeed(size_t from, size_t to) const {
        double sum = 0.0;
        int count = 0;
        for (const auto& [frame, speed] : flightSpeed)
            if (frame >= from && frame < to) sum += speed, ++count;
        return count ? sum / count : -1.0;
    }

    void Frame() {
        // The audio thread started with the sound system; from then on the frames render here.
        if (!audioHeld && !Finished() && stuck.empty() && SX::g_pAudioMgr) {
            SX::g_pAudioMgr->StopThread();
            audioHeld = true;
        }
        if (audioHeld) SX::g_pAudioMgr->Perform();
        if (!injectorAdded && SD::Input_::GetInstance()) {
            SD::Input_::GetInstance()->AddInjector(std::make_unique<qvtest::HeldKeys>(&keys));
            injectorAdded = true;
        }
        if (Finished() || !stuck.empty()) return;
        flightSpeed.emplace_back(CapturedSound::FrameAt(control::CapturedBytes()), FlightSpeed());
        const size_t before = next;
        Advance();
        if (next != before) at[steps[before].what] = CapturedSound::FrameAt(control::CapturedBytes());
        if (!stuck.empty()) {
            SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
            stuck += " (phase " + std::to_string(states->GetPhase()) + " of " +
                     (states->GetCurrentLevel() ? states->GetCurrentLevel()->GetName() : "none") + ")";
        }
        if (Finished() || !stuck.empty()) {
            // The banks unload through the audio thread as the game ends.
            if (audioHeld) {
                // With the stack the sound system gives it: the music's step needs more than the default.
                SX::SxThreadProperties thread;
                thread.stackSize = 256 * 1024;
                SX::g_pAudioMgr->Start(thread);
            }
            audioHeld = false;
            SD::GameStateManager_::GetInstance()->Quit();
        }
    }
};

// A looping positioned sound on an object of its own, set beside the vehicle.
struct Emitter {
    SD::GameObject* object = nullptr;

    bool Start() {
        object = SD::Factory_::GetInstance()->CreateObject("World/Chime", nullptr);
        auto* phantom = object ? static_cast<SD::Phantom*>(object->GetComponent(SD::CID_Phantom)) : nullptr;
        if (!phantom) return false;
        phantom->SetEventName("Play_Water");
        phantom->SetBegin(true);
        object->Initialize(false);
        return true;
    }
    // Places it at a distance along the vehicle's right (negative: its left).
    bool PlaceRight(float distance) {
        SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
        if (!player || !object) return false;
        SD::Transform& at = player->GetTransform();
        object->GetTransform().SetPos(at.GetPos() + at.GetRight() * distance);
        return true;
    }
};

TEST(GameSound, TheMusicNarrationFlightWindPositionedSoundsAndSeasonsAreHeardInTheCapture) {
    qvtest::TempTree tree;
    for (const char* folder : {"Assets", "Graphics"})
        std::filesystem::copy(qvtest::SourceDir() + "/" + folder, tree.Path(folder),
                              std::filesystem::copy_options::recursive);
    qvtest::WithoutSplashPictures(tree);  // the sound is heard from the menu on
    SetConfig(tree, "Dev", "DevKeys", "true");
    SetConfig(tree, "LevelEditor", "AutoSaveDuration", "0");
    SetConfig(tree, "FrameRateController", "fps", std::to_string(0.5 / kBufferSeconds));
    SetConfig(tree, "Window", "Width", "64");
    SetConfig(tree, "Window", "Height", "40");

    platform::ManualClock clock;
    clock.SetStepPerRead(0.0005);
    platform::ScopedClock scoped(clock);
    control::Reset();
    control::StartCapture();

    Script script;
    Emitter emitter;
    int seasonBefore = -1;
    size_t padBefore = 0;  // the pad's motor changes before the thunder
    platform::ResetPads();
    platform::ConnectPad(0);
    auto in = [](const char* state) { return [state] { return Running() == state; }; };
    auto wait = [](int frames) {
        auto left = std::make_shared<int>(frames);
        return [left] { return --*left <= 0; };
    };
    // A key down for one frame, then up.
    auto tap = [&script](uint32_t code) {
        auto frames = std::make_shared<int>(0);
        return [&script, code, frames] {
            if (*frames == 0) script.keys.insert(code);
            if (*frames == 1) script.keys.erase(code);
            return ++*frames > 2;
        };
    };
    auto hold = [&script](std::set<uint32_t> down) {
        return [&script, down] {
            script.keys = down;
            return true;
        };
    };
    script.steps = {
        {"menu", in("MainMenu")},
        {"menu music", wait(100)},
        {"narration", [] {
             QV::AudioLogic_::PostEvent("Play_1_Long_ago", nullptr);
             return true;
         }},
        {"narration spoken", wait(50)},
        {"narration over", wait(60)},
        {"play pressed", tap(SD::key_RETURN)},
        {"world", in("World")},
        {"vehicle still", wait(60)},
        {"throttle held", hold({SD::key_SPACE})},
        {"flying", wait(60)},
        {"throttle released", hold({})},
        {"slowed down", wait(80)},
        {"emitter started", [&emitter] { return emitter.Start() && emitter.PlaceRight(30.0f); }},
        {"emitter on the right", [&emitter] { return emitter.PlaceRight(30.0f); }},
        {"heard on the right", wait(40)},
        {"emitter on the left", [&emitter] { return emitter.PlaceRight(-30.0f); }},
        {"heard on the left", wait(40)},
        {"emitter far away", [&emitter] { return emitter.PlaceRight(2000.0f); }},
        {"heard far away", wait(40)},
        {"thunder", [&padBefore] {
             padBefore = platform::RecordedVibrations(0).size();
             QV::AudioLogic_::PostEvent("Play_Thunder", nullptr);
             return true;
         }},
        {"thunder over", wait(60)},
        {"story moved on", [&seasonBefore] {
             seasonBefore = QV::AudioLogic_::GetInstance().GetSeason();
             QV::SowlarSystem_::GetInstance().SetStoryCounter(3);
             return true;
         }},
        {"season changed", [&seasonBefore] { return QV::AudioLogic_::GetInstance().GetSeason() != seasonBefore; }},
        {"new season's music", wait(150)},
    };

    QV::SupplyWholeGame(SD::StartupRegistrations());

    SD::RunOptions options;
    options.maxFrames = 3000;
    options.afterFrame = [&script](unsigned long) { script.Frame(); };
    const SD::RunSummary summary = SD::RunProgram(options);
    const CapturedSound sound = CapturedSound::Take();
    control::StopCapture();
    ASSERT_EQ(script.stuck, "");
    ASSERT_TRUE(summary.clean) << summary.error;
    const int season = QV::AudioLogic_::GetInstance().GetSeason();
    const auto from = [&](const char* step) { return script.at.at(step); };
    const size_t second = sound.rate;

    // The spring music plays in the menu, and no other season's.
    const double menuMusic = sound.Level(kSeasonRoot[0], from("menu") + second, from("menu music"));
    EXPECT_GT(menuMusic, 0.02) << "the menu's music";
    for (int other : {1, 2, 3})
        EXPECT_LT(sound.Level(kSeasonRoot[other], from("menu") + second, from("menu music")), menuMusic / 10);

    // The narration (its first line's voice at 180 Hz, streamed Vorbis) ducks it by its bus's
    // amount while it speaks, and lets it go after.
    EXPECT_GT(sound.Level(kFirstLineHz, from("narration") + second / 4, from("narration spoken")), 0.005)
        << "the narration is heard";
    EXPECT_LT(sound.Level(kFirstLineHz, from("narration over") - second, from("narration over")), 0.001)
        << "and ends";
    const double spoken = sound.Level(kSeasonRoot[0], from("narration") + second / 2, from("narration spoken"));
    EXPECT_NEAR(Db(spoken / menuMusic), kNarrationDuckDb, 2.0) << "the music under the narration";
    EXPECT_NEAR(Db(sound.Level(kSeasonRoot[0], from("narration spoken") + second, from("narration over")) / menuMusic),
                0.0, 2.0)
        << "the music after it";

    // The wind synth follows the vehicle's speed: silent while it stands; in flight loudest at
    // the pitch of the flight speed the game computes (the music, heard throughout, set aside, and
    // the flowers' chimes above 1 kHz left out);
    // quiet again once the vehicle has stopped.
    const auto wind = [&](double hz, size_t begin, size_t end) {
        return sound.Level(hz, begin, end) - sound.Level(hz, from("world") + second, from("vehicle still"));
    };
    const size_t flightBegin = from("throttle held") + second, flightEnd = from("flying");
    std::pair<double, double> loudest{0.0, 0.0};  // Hz, level
    for (double hz = 100.0; hz <= 1000.0; hz *= 1.01)
        if (const double level = wind(hz, flightBegin, flightEnd); level > loudest.second) loudest = {hz, level};
    const double speed = script.MeanFlightSpeed(flightBegin, flightEnd);
    EXPECT_GT(speed, 10.0) << "the vehicle flies";
    EXPECT_NEAR(12.0 * std::log2(loudest.first / FlightWindHz(speed)), 0.0, 3.0)
        << "flight speed " << speed << ": the wind loudest at " << loudest.first << " Hz";
    const double still = sound.Level(loudest.first, from("world") + second, from("vehicle still"));
    const double stopped = sound.Level(loudest.first, from("slowed down") - second, from("slowed down"));
    EXPECT_GT(Db(loudest.second / still), 20.0) << "still " << still << ", in flight " << loudest.second;
    EXPECT_GT(Db(loudest.second / stopped), 20.0) << "stopped " << stopped << ", in flight " << loudest.second;

    // The water beside the vehicle: on the side where it is, louder near than far.
    const auto water = [&](const std::vector<float>& channel, const char* placed, const char* heard) {
        return sound.Level(channel, kWaterHz, from(placed) + second / 2, from(heard));
    };
    const double rightL = water(sound.left, "emitter on the right", "heard on the right");
    const double rightR = water(sound.right, "emitter on the right", "heard on the right");
    const double leftL = water(sound.left, "emitter on the left", "heard on the left");
    const double leftR = water(sound.right, "emitter on the left", "heard on the left");
    EXPECT_GT(Db(rightR / rightL), 3.0) << "on the right: left " << rightL << ", right " << rightR;
    EXPECT_GT(Db(leftL / leftR), 3.0) << "on the left: left " << leftL << ", right " << leftR;
    const double near = rightL + rightR;
    const double far = water(sound.left, "emitter far away", "heard far away") +
                       water(sound.right, "emitter far away", "heard far away");
    EXPECT_GT(Db(near / far), 12.0) << "near " << near << ", far " << far;

    // The music follows the season the story moved to.
    ASSERT_NE(season, seasonBefore);
    const size_t turned = from("season changed") + 3 * second;
    const double newRoot = sound.Level(kSeasonRoot[season], turned, from("new season's music"));
    const double oldRoot = sound.Level(kSeasonRoot[0], turned, from("new season's music"));
    EXPECT_GT(newRoot, 0.01) << "the music of season " << season;
    EXPECT_GT(Db(newRoot / std::max(oldRoot, 1e-6)), 20.0) << "the spring music gone";

    // The thunder is its noise ringing the modal synth's modes: loud at each mode and markedly
    // quieter between and around them, where plain noise would be as loud.
    const auto thunder = [&](double hz) { return sound.Level(hz, from("thunder"), from("thunder") + second * 3 / 2); };
    EXPECT_GT(Db(thunder(kThunderModesHz[0]) / sound.Level(kThunderModesHz[0], from("thunder") - second, from("thunder"))),
              30.0)
        << "the thunder is heard";
    for (const double around : {48.0, 64.0, 80.0})
        for (const double mode : kThunderModesHz)
            EXPECT_GT(Db(thunder(mode) / thunder(around)), 6.0) << mode << " Hz against " << around << " Hz";

    // The thunder rumbles the pad through the motion bus: both motors at its levels, the coarse one
    // harder, and at rest again after; nothing moved them before.
    const std::vector<platform::PadVibration> pad = platform::RecordedVibrations(0);
    platform::ResetPads();
    const auto moving = [](const platform::PadVibration& v) { return !(v == platform::PadVibration{}); };
    ASSERT_LE(padBefore, pad.size());
    EXPECT_EQ(std::count_if(pad.begin(), pad.begin() + padBefore, moving), 0);
    const auto rumble = std::find_if(pad.begin() + padBefore, pad.end(), moving);
    ASSERT_NE(rumble, pad.end()) << "the thunder moves the pad";
    EXPECT_NEAR(rumble->leftMotor, SX::SxRumbleControllerPad::LeftSpeed(0.9f), 40);
    EXPECT_NEAR(rumble->rightMotor, SX::SxRumbleControllerPad::RightSpeed(0.5f), 40);
    EXPECT_FALSE(moving(pad.back())) << "at rest after the thunder";

    // Nothing reaches full scale.
    EXPECT_LT(sound.Peak(), 0.99f);
}

}  // namespace
