// The game's sound heard from outside: the whole game runs headless in this process, driven
// through the menu into the world as a player would, while the output device captures what the
// sound engine mixes. Time is the test's: the frame limiter holds each frame to two buffers of
// the output device on a clock that moves only when read, and the end of each frame renders the
// buffers due, the audio thread held still meanwhile, so the capture keeps step with the game.
// The capture is then measured as a listener would hear it: the music's notes moving in the menu
// and in flight, each season's music in a key of its own, the narration ducking the music, no
// steady tone outside the music, the flight wind and whoosh rising with speed, a positioned sound
// louder near and on its side, the music turning with the season, the thunder rumbling the pad,
// a story step's stinger on the music's beat, the reverb of a zone, the wind chimes of a gust
// ringing one after the other into the season's own, and nothing clipped.
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
#include "game/components/IslandLogic.h"
#include "game/components/SimpleTombstoneLogic.h"
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
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/plugins/motion/SxRumbleController.h"
#include "sound/system/Phantom.h"
#include "sound/system/SoundSystemRegistration.h"
#include "support/HeldKeys.h"
#include "support/StepScript.h"
#include "support/TempTree.h"
#include "tests/app/GameDriving.h"
#include "tests/app/CapturedSound.h"
#include "tests/app/ListeningMeasures.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxBankProbe.h"

namespace {

using qvtest::Running;
using qvtest::SetConfig;

namespace control = platform::audio::control;
using qvtest::CapturedSound;
using qvtest::Db;

// The music's notes lie from C3 to F6 (MIDI 48 to 89); the birds' calls are all above them.
constexpr int kLowestNote = 48, kHighestNote = 89;
// Its tunes lie above the narration's voice and its harmonics (F#5 to F6), its harmony below
// (G2 to B4).
constexpr double kTuneBand[] = {740.0, 1400.0};
constexpr double kHarmonyBand[] = {90.0, 500.0};
// The wind synth rings at 700 Hz at the vehicle's cruising speed (flight speed 30, a wind of
// 48 m/s) and its pitch goes with the wind's speed, which is 4 m/s at rest, between them
// evenly in cents.
double FlightWindHz(double flightSpeed) {
    return 700.0 * std::exp2((std::min(flightSpeed, 30.0) / 30.0 - 1.0) * std::log2(48.0 / 4.0));
}
constexpr double kWaterHz = 2500.0;
// The whoosh rings at 2 kHz at cruising speed (flight speed 30, 16 m/s); its pitch goes with its
// speed, which is 4 m/s at rest, between them evenly in cents.
double FlightWhooshHz(double flightSpeed) {
    return 2000.0 * std::exp2((std::min(flightSpeed, 30.0) / 30.0 - 1.0) * std::log2(16.0 / 4.0));
}
// Two of the thunder's modes (its lowest, at 41.2 Hz, is rung too weakly to stand out).
constexpr double kThunderModesHz[] = {55.0, 73.4};
constexpr double kFirstLineHz = 180.0;
// Two seasons' music is told apart by the balance of its pitch classes: no pair is this alike.
constexpr double kUnlikeSeasons = 0.85;
// In every ten seconds of music its notes change at least this often (looked at four times a
// second): a tune moving over its harmony, not a held chord.
constexpr int kNoteChangesIn10s = 12;
// The narration bus ducks the music by 12 dB.
constexpr double kNarrationDuckDb = -12.0;
// One buffer of the output device: 1024 frames at 48 kHz.
constexpr double kBufferSeconds = 1024.0 / 48000.0;
// The story step's stinger (C#6 and G#6) and the music's beat at 120 beats a minute.
constexpr double kStingerHz[] = {1108.73, 1661.22};
constexpr double kBeatSeconds = 0.5;
constexpr double kBarSeconds = 4 * kBeatSeconds;
// The lily pad's note (0.5 s), whose ring the zone's reverb carries on.
constexpr double kLilyPadHz = 698.46;
constexpr double kLilyPadSeconds = 0.5;

// Steps run one after the other at the end of frames; a step answers true when it is done. The
// captured length at the end of a step is kept under the step's name.
struct Script : qvtest::StepScript {
    Script() { limit = 2000; }
    std::set<uint32_t> keys;
    bool injectorAdded = false;
    bool audioHeld = false;
    std::map<std::string, size_t> at;                   // step name: the captured frame count when it was done
    std::vector<std::pair<size_t, float>> flightSpeed;  // captured frame count, the game's flight speed
    const platform::ManualClock* clock = nullptr;       // the game's clock, set by the run

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

    // Plays the event from where the object is put first (the origin by default).
    bool Start(const char* event = "Play_Water", const SD::Vec3& at = SD::Vec3()) {
        object = SD::Factory_::GetInstance()->CreateObject("World/Chime", nullptr);
        auto* phantom = object ? static_cast<SD::Phantom*>(object->GetComponent(SD::CID_Phantom)) : nullptr;
        if (!phantom) return false;
        object->GetTransform().SetPos(at);
        phantom->SetEventName(event);
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

// Steps the scripts share.
std::function<bool()> In(const char* state) {
    return [state] { return Running() == state; };
}
std::function<bool()> Wait(int frames) {
    auto left = std::make_shared<int>(frames);
    return [left] { return --*left <= 0; };
}
// Game time goes on for this many seconds: a key is held as long as a player would hold it
// whatever the frames last (one buffer of sound is rendered each frame, so the capture's time
// is not the game's).
std::function<bool()> WaitGameSeconds(const Script& script, double seconds) {
    auto until = std::make_shared<double>(-1.0);
    return [&script, seconds, until] {
        if (*until < 0.0) *until = script.clock->Now() + seconds;
        return script.clock->Now() >= *until;
    };
}
// A key down for one frame, then up.
std::function<bool()> Tap(Script& script, uint32_t code) {
    auto frames = std::make_shared<int>(0);
    return [&script, code, frames] {
        if (*frames == 0) script.keys.insert(code);
        if (*frames == 1) script.keys.erase(code);
        return ++*frames > 2;
    };
}
std::function<bool()> Hold(Script& script, std::set<uint32_t> down) {
    return [&script, down] {
        script.keys = down;
        return true;
    };
}
// The pad's right trigger (0 to 255), the analog throttle.
std::function<bool()> PadThrottle(uint8_t trigger) {
    return [trigger] {
        platform::PadInput input;
        input.rightTrigger = trigger;
        platform::SetPadInput(0, input);
        return true;
    };
}

// Runs the whole game on a copy of the sample data, from the menu on, through the script's
// steps, with a pad connected; the capture of all it played.
CapturedSound RunWholeGame(Script& script, SD::RunSummary& summary) {
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
    script.clock = &clock;
    control::Reset();
    control::StartCapture();
    QV::SupplyWholeGame(SD::StartupRegistrations());

    SD::RunOptions options;
    options.maxFrames = 3000;
    options.afterFrame = [&script](unsigned long) { script.Frame(); };
    summary = SD::RunProgram(options);
    CapturedSound sound = CapturedSound::Take();
    control::StopCapture();
    return sound;
}

// The script went through to its end and the run ended cleanly.
::testing::AssertionResult RanCleanly(const Script& script, const SD::RunSummary& summary) {
    if (!script.stuck.empty()) return ::testing::AssertionFailure() << "stuck at " << script.stuck;
    if (!summary.clean) return ::testing::AssertionFailure() << summary.error;
    return ::testing::AssertionSuccess();
}

// Stops sounds that would cover what is listened for from outside, through the sound engine.
bool Stop(std::initializer_list<const char*> events) {
    for (const char* event : events)
        SX::SoundEngine::ExecuteActionOnEvent(SX::SoundEngine::GetIDFromString(event), SX::SxActionOnEvent_Stop);
    return true;
}
// The music's tunes: the seasons' music and the strings beside it.
bool StopTheMusic() { return Stop({"Play_Spring", "Play_Epic_Strings"}); }
// The music and the menu's birds, whose calls come at random times across the whoosh's and the
// water's band.
bool StopTheMusicAndTheBirds() { return StopTheMusic() && Stop({"Play_Spring_Ambient"}); }

TEST(GameSound, TheFlightWindPositionedSoundsAndThunderAreHeardInTheCapture) {
    Script script;
    Emitter emitter;
    size_t padBefore = 0;  // the pad's motor changes before the thunder
    platform::ResetPads();
    platform::ConnectPad(0);
    script.steps = {
        {"menu", In("MainMenu")},
        {"play pressed", Tap(script, SD::key_RETURN)},
        {"world", In("World")},
        {"music stopped", StopTheMusicAndTheBirds},
        {"vehicle still", Wait(60)},
        // Each throttle is held for less than the 5 s after which the vehicle's speed ramps up
        // (its forward speed growing from 60 to over 1000), let go for a frame between: the
        // flight speed it sends the sound stays steady where it is listened to.
        {"half throttle", PadThrottle(128)},
        {"flying slower", WaitGameSeconds(script, 4.0)},
        {"throttle let go", PadThrottle(0)},
        {"throttle held", Hold(script, {SD::key_SPACE})},
        {"flying", WaitGameSeconds(script, 4.0)},
        {"throttle released", Hold(script, {})},
        {"slowed down", WaitGameSeconds(script, 5.0)},
        {"emitter started", [&emitter] { return emitter.Start() && emitter.PlaceRight(30.0f); }},
        {"emitter on the right", [&emitter] { return emitter.PlaceRight(30.0f); }},
        {"heard on the right", Wait(40)},
        {"emitter on the left", [&emitter] { return emitter.PlaceRight(-30.0f); }},
        {"heard on the left", Wait(40)},
        {"emitter far away", [&emitter] { return emitter.PlaceRight(2000.0f); }},
        {"heard far away", Wait(40)},
        {"thunder",
         [&padBefore] {
             padBefore = platform::RecordedVibrations(0).size();
             QV::AudioLogic_::PostEvent("Play_Thunder", nullptr);
             return true;
         }},
        {"thunder over", Wait(60)},
    };
    SD::RunSummary summary;
    const CapturedSound sound = RunWholeGame(script, summary);
    ASSERT_TRUE(RanCleanly(script, summary));
    const auto from = [&](const char* step) { return script.at.at(step); };
    const size_t second = sound.rate;

    // The wind synth follows the vehicle's speed: silent while it stands; in flight loudest at
    // the pitch of the flight speed the game computes (the flowers' chimes above 1 kHz left out);
    // quiet again once the vehicle has stopped.
    const auto aboveStill = [&](double hz, size_t begin, size_t end) {
        return sound.Level(hz, begin, end) - sound.Level(hz, from("world") + second, from("vehicle still"));
    };
    const size_t flightBegin = from("throttle held") + second, flightEnd = from("flying");
    std::pair<double, double> loudest{0.0, 0.0};  // Hz, level
    for (double hz = 100.0; hz <= 1000.0; hz *= 1.01)
        if (const double level = aboveStill(hz, flightBegin, flightEnd); level > loudest.second) loudest = {hz, level};
    const double speed = script.MeanFlightSpeed(flightBegin, flightEnd);
    EXPECT_GT(speed, 10.0) << "the vehicle flies";
    EXPECT_NEAR(12.0 * std::log2(loudest.first / FlightWindHz(speed)), 0.0, 3.0)
        << "flight speed " << speed << ": the wind loudest at " << loudest.first << " Hz";
    const double still = sound.Level(loudest.first, from("world") + second, from("vehicle still"));
    const double stopped = sound.Level(loudest.first, from("slowed down") - second, from("slowed down"));
    EXPECT_GT(Db(loudest.second / still), 20.0) << "still " << still << ", in flight " << loudest.second;
    EXPECT_GT(Db(loudest.second / stopped), 20.0) << "stopped " << stopped << ", in flight " << loudest.second;

    // The whoosh follows the speed as well: loudest above the wind at the pitch of the flight
    // speed, at half throttle and at full; brighter and louder the faster the vehicle flies, and
    // next to silent at rest. Its ring is a broad band, so the spectrum is averaged over a third
    // of an octave, where the single lines of a chime met in flight count little; it is looked
    // for from 800 Hz, and more than an octave above the wind, up to 4 kHz.
    const auto whoosh = [&](size_t begin, size_t end, double flightSpeed) {
        const double lowest = std::max(800.0, 2.0 * FlightWindHz(flightSpeed));
        // Levels a 48th of an octave apart, a sixth of an octave beyond each end.
        constexpr int kSide = 8;
        const auto hz = [lowest](int i) { return lowest * std::exp2((i - kSide) / 48.0); };
        const int points = static_cast<int>(48.0 * std::log2(4000.0 / lowest)) + 2 * kSide + 1;
        std::vector<double> levels;
        for (int i = 0; i < points; ++i) levels.push_back(aboveStill(hz(i), begin, end));
        std::pair<double, double> peak{0.0, 0.0};  // Hz, level
        for (int i = kSide; i + kSide < points; ++i) {
            double band = 0.0;
            for (int k = i - kSide; k <= i + kSide; ++k) band += levels[k] / (2 * kSide + 1);
            if (band > peak.second) peak = {hz(i), band};
        }
        return peak;
    };
    const size_t slowBegin = from("half throttle") + second, slowEnd = from("flying slower");
    const double slowSpeed = script.MeanFlightSpeed(slowBegin, slowEnd);
    const auto slowWhoosh = whoosh(slowBegin, slowEnd, slowSpeed), fastWhoosh = whoosh(flightBegin, flightEnd, speed);
    EXPECT_GT(slowSpeed, 5.0) << "half throttle flies";
    EXPECT_LT(slowSpeed, speed * 0.75) << "and slower";
    EXPECT_NEAR(12.0 * std::log2(slowWhoosh.first / FlightWhooshHz(slowSpeed)), 0.0, 3.0)
        << "flight speed " << slowSpeed << ": the whoosh loudest at " << slowWhoosh.first << " Hz";
    EXPECT_NEAR(12.0 * std::log2(fastWhoosh.first / FlightWhooshHz(speed)), 0.0, 3.0)
        << "flight speed " << speed << ": the whoosh loudest at " << fastWhoosh.first << " Hz";
    EXPECT_GT(Db(fastWhoosh.second / slowWhoosh.second), 6.0)
        << "half throttle " << slowWhoosh.second << ", full " << fastWhoosh.second;
    EXPECT_GT(Db(fastWhoosh.second / sound.Level(fastWhoosh.first, from("world") + second, from("vehicle still"))),
              20.0);

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

    // The thunder is its noise ringing the modal synth's modes: loud at each mode and markedly
    // quieter between and around them, where plain noise would be as loud.
    const auto thunder = [&](double hz) { return sound.Level(hz, from("thunder"), from("thunder") + second * 3 / 2); };
    EXPECT_GT(
        Db(thunder(kThunderModesHz[0]) / sound.Level(kThunderModesHz[0], from("thunder") - second, from("thunder"))),
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

// Where the world's sound zone (the summer glade) is, its box's centre; and the vehicle held
// there or anywhere else, at rest.
SD::Vec3 ZoneCentre() {
    SD::GameObject* glade = SD::Factory_::GetGameObjectByName("SummerGlade");
    if (!glade) return SD::Vec3(0.0f, -1.0e6f, 0.0f);
    const SD::Transform& box = glade->GetTransform();
    return box.GetLocalPos() + SD::Vec3(0.0f, box.GetScale().y * 0.5f, 0.0f);
}
bool PlacePlayer(const SD::Vec3& at) {
    SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
    auto* body = player ? static_cast<Gedankenexperiment::Body*>(player->GetComponent(SD::CID_Body)) : nullptr;
    if (!body) return false;
    body->SetPosition(at);
    body->SetVelocity(SD::Vec3());
    player->GetTransform().SetPos(at);
    return true;
}
// Holds the vehicle at a place for a number of frames.
std::function<bool()> HoldPlayerAt(std::function<SD::Vec3()> at, int frames) {
    auto left = std::make_shared<int>(frames);
    return [at, left] { return PlacePlayer(at()) && --*left <= 0; };
}
// Away from the zone, where the vehicle waits at rest.
SD::Vec3 OutsideTheZone() { return ZoneCentre() + SD::Vec3(-400.0f, 0.0f, 0.0f); }
std::function<bool()> StoryStep(int counter) {
    return [counter] {
        QV::SowlarSystem_::GetInstance().SetStoryCounter(counter);
        return true;
    };
}
// From the menu into the world, the vehicle settled at rest outside the zone.
std::vector<qvtest::StepScript::Step> IntoTheWorld(Script& script) {
    return {
        {"menu", In("MainMenu")},
        {"play pressed", Tap(script, SD::key_RETURN)},
        {"world", In("World")},
        {"settled", HoldPlayerAt(OutsideTheZone, 60)},
    };
}
std::function<bool()> Post(const char* event) {
    return [event] {
        QV::AudioLogic_::PostEvent(event, nullptr);
        return true;
    };
}

TEST(GameSound, AStoryStepRingsItsStingerOnTheBeatAndAZoneRingsInItsReverb) {
    Script script;
    Emitter emitter;
    platform::ResetPads();
    platform::ConnectPad(0);
    const auto outside = OutsideTheZone;
    const auto step = StoryStep;
    // Two story steps 1.3 s apart, so that they fall at different places in the beat.
    script.steps = IntoTheWorld(script);
    script.steps.insert(script.steps.end(), {
                                                {"first story step", step(1)},
                                                {"first stinger heard", HoldPlayerAt(outside, 30)},
                                                {"second story step", step(2)},
                                                {"second stinger heard", HoldPlayerAt(outside, 60)},
                                                {"out in the open", HoldPlayerAt(outside, 10)},
                                                {"note in the open", Post("Play_Lily_Pad")},
                                                {"open note over", HoldPlayerAt(outside, 50)},
                                                {"in the zone", HoldPlayerAt(ZoneCentre, 10)},
                                                {"note in the zone", Post("Play_Lily_Pad")},
                                                {"zone note over", HoldPlayerAt(ZoneCentre, 50)},
                                                {"back outside", HoldPlayerAt(outside, 10)},
                                                {"emitter in the zone",
                                                 [&emitter] { return emitter.Start("Play_Lily_Pad", ZoneCentre()); }},
                                                {"emitter's ring heard", HoldPlayerAt(outside, 50)},
                                            });
    SD::RunSummary summary;
    const CapturedSound sound = RunWholeGame(script, summary);
    ASSERT_TRUE(RanCleanly(script, summary));
    const auto from = [&](const char* what) { return script.at.at(what); };
    const size_t second = sound.rate;

    // Each story step rings the stinger, C#6 and G#6, on one of the next beats of the music:
    // its rise lies a whole number of beats after a bar line of the music, found where the
    // harmony of the season's music dips as one chord gives way to the next.
    constexpr size_t kWindow = 512, kHop = kWindow / 4;
    // The bell is where both its notes sound (the music's tune may hold one of them on its own).
    const auto rise = [&](const char* stepped) {
        std::vector<double> bell = sound.Envelope(kStingerHz[0], from(stepped), from(stepped) + 2 * second, kWindow);
        const std::vector<double> fifth =
            sound.Envelope(kStingerHz[1], from(stepped), from(stepped) + 2 * second, kWindow);
        for (size_t i = 0; i < bell.size(); ++i) bell[i] = std::min(bell[i], fifth[i]);
        const double top = bell.empty() ? 0.0 : *std::max_element(bell.begin(), bell.end());
        const size_t at =
            std::find_if(bell.begin(), bell.end(), [top](double v) { return v > top / 2; }) - bell.begin();
        return std::make_pair(from(stepped) + at * kHop + kWindow / 2, top);
    };
    // The dip is looked for over a whole segment (two bars), so that the deepest, where one
    // segment's harmony ends and the next one's begins, falls inside wherever the music stands
    // when the vehicle has settled.
    const size_t segment = static_cast<size_t>(2 * kBarSeconds * sound.rate);
    const std::vector<double> chord = qvtest::BandEnvelope(sound, from("settled") - segment, from("settled"), kWindow,
                                                           kHarmonyBand[0], kHarmonyBand[1]);
    ASSERT_FALSE(chord.empty());
    const size_t barLine =
        from("settled") - segment + (std::min_element(chord.begin(), chord.end()) - chord.begin()) * kHop + kWindow / 2;
    // The music may hold the bell's notes too, but far softer.
    const double before =
        std::min(sound.Level(kStingerHz[0], from("first story step") - second, from("first story step")),
                 sound.Level(kStingerHz[1], from("first story step") - second, from("first story step")));
    for (const char* stepped : {"first story step", "second story step"}) {
        const auto [onset, level] = rise(stepped);
        EXPECT_GT(level, 0.005) << stepped << ": the stinger is heard";
        EXPECT_GT(Db(level / before), 12.0) << stepped << ": above the music before the story moved";
        EXPECT_GT(sound.Level(kStingerHz[1], onset, onset + second / 2), 0.005) << stepped;
        const double seconds = double(onset - from(stepped)) / sound.rate;
        EXPECT_GT(seconds, 0.0) << stepped;
        EXPECT_LT(seconds, 1.0) << stepped << ": on one of the next beats";
        // The bell fades in over 20 ms: its half-way point is some 10 ms in.
        const double beats = (double(onset) - double(barLine)) / sound.rate / kBeatSeconds;
        EXPECT_NEAR((beats - std::round(beats)) * kBeatSeconds, 0.01, 0.03)
            << stepped << ": " << beats << " beats after a bar line";
    }

    // The note played in the zone rings on in its reverb after it ends; in the open it stops.
    const auto ring = [&](const char* played) {
        const size_t end = from(played) + static_cast<size_t>(kLilyPadSeconds * sound.rate);
        return sound.Level(kLilyPadHz, end + second / 10, end + second);
    };
    const double open = ring("note in the open"), zone = ring("note in the zone");
    EXPECT_GT(sound.Level(kLilyPadHz, from("note in the open"), from("note in the open") + second / 2), 0.01);
    EXPECT_GT(Db(zone / open), 12.0) << "in the zone " << zone << ", in the open " << open;
    // So does an emitter's note in the zone when the player is away from it.
    EXPECT_GT(Db(ring("emitter in the zone") / open), 12.0) << "the emitter's ring " << ring("emitter in the zone");
}

// The gust's wind chimes: F6, F7, then the note of the audio season (spring, summer, fall,
// winter), a quarter of a second apart; their media are those of the chords of those names.
constexpr double kChimeHz[] = {1396.91, 2793.83};
constexpr double kSeasonChimeHz[] = {5274.04, 5919.91, 6644.88, 7458.62};
constexpr const char* kSeasonChime[] = {"Spring_Chime", "Summer_Chime", "Fall_Chime", "Winter_Chime"};
constexpr double kChimeRateSeconds = 0.25;

// The audio season the sound engine holds (0 spring to 4 spring again).
int SeasonState() {
    return static_cast<int>(SX::g_pStateMgr->GetState(QV::AudioLogic_::kSeasonGroup) -
                            QV::AudioLogic_::kFirstSeasonState);
}
// Which seasons' chimes have their media loaded.
std::vector<bool> SeasonChimesLoaded() {
    std::vector<bool> loaded;
    for (const char* chime : kSeasonChime)
        loaded.push_back(qvtest::BankProbe::HasMedia(*SX::g_pBankMgr, SX::SoundEngine::GetIDFromString(chime)));
    return loaded;
}
// The vehicle out past the world's edge, where the game turns it back and posts its gust.
std::function<bool()> LeaveTheWorld() {
    return [] { return PlacePlayer(SD::Vec3(63.0f + 17000.0f, 500.0f, -8846.74f)); };
}
std::function<bool()> TurnedBack() {
    return [] {
        SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
        auto* logic = player ? static_cast<QV::PlayerLogic*>(player->GetComponent(SD::CID_Player)) : nullptr;
        return logic && logic->IsReturning();
    };
}

TEST(GameSound, AGustRingsItsChimesInTurnIntoTheSeasonsAndOnlyTheSeasonsAheadAreLoaded) {
    Script script;
    int stateBefore = -1, stateAfter = -1;
    std::vector<bool> loadedBefore, loadedAfter;
    platform::ResetPads();
    platform::ConnectPad(0);
    const auto home = OutsideTheZone;
    const auto snapshot = [](int& state, std::vector<bool>& loaded) {
        return [&state, &loaded] {
            state = SeasonState();
            loaded = SeasonChimesLoaded();
            return true;
        };
    };
    script.steps = IntoTheWorld(script);
    script.steps.insert(script.steps.end(),
                        {
                            {"first season", snapshot(stateBefore, loadedBefore)},
                            {"first gust", LeaveTheWorld()},
                            {"first turn", TurnedBack()},
                            {"first chimes", HoldPlayerAt(home, 90)},
                            {"story moved on", StoryStep(3)},
                            {"season changed", [&stateBefore] { return SeasonState() != stateBefore; }},
                            {"music turned", HoldPlayerAt(home, 150)},
                            {"next season", snapshot(stateAfter, loadedAfter)},
                            {"second gust", LeaveTheWorld()},
                            {"second turn", TurnedBack()},
                            {"second chimes", HoldPlayerAt(home, 90)},
                        });
    SD::RunSummary summary;
    const CapturedSound sound = RunWholeGame(script, summary);
    ASSERT_TRUE(RanCleanly(script, summary));
    const auto from = [&](const char* what) { return script.at.at(what); };
    const size_t second = sound.rate;

    // The season set and the one after it have their chimes loaded, the others not; a change
    // loads the new pair and lets the rest go.
    ASSERT_GE(stateBefore, 0);
    ASSERT_GT(stateAfter, stateBefore);
    ASSERT_LT(stateAfter, 4);
    for (int season = 0; season < 4; ++season) {
        EXPECT_EQ(loadedBefore.at(season), season == stateBefore || season == stateBefore + 1) << season;
        EXPECT_EQ(loadedAfter.at(season), season == stateAfter || season == stateAfter + 1) << season;
    }

    // Each gust rings F6, F7 and the season's note one after the other at the chain's rate; no
    // other season's note is heard.
    constexpr size_t kWindow = 2048, kHop = kWindow / 4;
    const auto onset = [&](double hz, size_t begin) {
        const std::vector<double> level = sound.Envelope(hz, begin, begin + 2 * second, kWindow);
        const double top = level.empty() ? 0.0 : *std::max_element(level.begin(), level.end());
        const size_t at =
            std::find_if(level.begin(), level.end(), [top](double v) { return v > top / 2; }) - level.begin();
        return std::make_pair(double(at * kHop + kWindow / 2) / sound.rate, top);
    };
    for (const auto& [posted, state] : {std::pair{"first gust", stateBefore}, std::pair{"second gust", stateAfter}}) {
        const size_t begin = from(posted);
        const auto [first, firstTop] = onset(kChimeHz[0], begin);
        const auto [next, nextTop] = onset(kChimeHz[1], begin);
        const auto [last, lastTop] = onset(kSeasonChimeHz[state], begin);
        for (const double top : {firstTop, nextTop, lastTop}) EXPECT_GT(top, 0.01) << posted;
        EXPECT_LT(first, 0.3) << posted << ": the chimes start with the gust";
        EXPECT_NEAR(next - first, kChimeRateSeconds, 0.03) << posted;
        EXPECT_NEAR(last - next, kChimeRateSeconds, 0.03) << posted;
        for (int other = 0; other < 4; ++other) {
            if (other != state) {
                EXPECT_LT(sound.Level(kSeasonChimeHz[other], begin, begin + 2 * second), lastTop / 10)
                    << posted << ": season " << other;
            }
        }
    }
    EXPECT_LT(sound.Peak(), 0.99f);
}

// Frames of the game (two buffers of the output device each) in a number of seconds.
int Frames(double seconds) { return static_cast<int>(seconds / (2 * kBufferSeconds)); }
std::function<bool()> SetSeason(int season) {
    return [season] {
        QV::AudioLogic_::GetInstance().SetSeason(season);
        return true;
    };
}
// The music changes its notes again and again in every ten seconds of [from, to).
void ExpectMovingMusic(const CapturedSound& sound, size_t from, size_t to, const char* where) {
    const size_t tenSeconds = 10 * sound.rate;
    ASSERT_GE(to - from, tenSeconds) << where;
    for (size_t start = from; start + tenSeconds <= to; start += tenSeconds)
        EXPECT_GE(qvtest::NoteChanges(sound, start, start + tenSeconds, kLowestNote, kHighestNote), kNoteChangesIn10s)
            << where << ", from " << double(start - from) / sound.rate << " s";
}

TEST(GameSound, TheMusicMovesInTheMenuAndInFlightEachSeasonInItsOwnKeyAndTheNarrationDucksIt) {
    Script script;
    platform::ResetPads();
    platform::ConnectPad(0);
    script.steps = {
        {"menu", In("MainMenu")},
        {"menu music", Wait(Frames(21))},
        {"narration", Post("Play_1_Long_ago")},
        {"narration spoken", Wait(Frames(2.25))},
        {"narration over", Wait(Frames(3.5))},
        {"play pressed", Tap(script, SD::key_RETURN)},
        {"world", In("World")},
        {"throttle held", [&script] { return PadThrottle(0)() && Hold(script, {SD::key_SPACE})(); }},
        {"flying", Wait(Frames(10.5))},
        {"throttle released", Hold(script, {})},
    };
    // Each season in turn: the change waits for a bar and a one-beat turn, then its music plays.
    const char* const seasons[] = {"spring", "summer", "fall", "winter"};
    for (int season = 0; season < 4; ++season) {
        script.steps.push_back({std::string(seasons[season]) + " set", SetSeason(season)});
        script.steps.push_back({std::string(seasons[season]) + " heard", Wait(Frames(9))});
    }
    // Back to the state the world starts in; then the story moves the music on a season.
    int seasonBefore = -1;
    script.steps.insert(
        script.steps.end(),
        {
            {"first state again", SetSeason(1)},
            {"first state heard", Wait(Frames(5))},
            {"story moved on",
             [&seasonBefore] {
                 seasonBefore = QV::AudioLogic_::GetInstance().GetSeason();
                 return StoryStep(3)();
             }},
            {"season changed", [&seasonBefore] { return QV::AudioLogic_::GetInstance().GetSeason() != seasonBefore; }},
            {"story's season heard", Wait(Frames(9))},
        });
    SD::RunSummary summary;
    const CapturedSound sound = RunWholeGame(script, summary);
    ASSERT_TRUE(RanCleanly(script, summary));
    const auto from = [&](const std::string& step) { return script.at.at(step); };
    const size_t second = sound.rate;

    ExpectMovingMusic(sound, from("menu") + second, from("menu music"), "the menu");
    ExpectMovingMusic(sound, from("throttle held"), from("flying"), "flight");

    // Each season's music in its own key: every two seasons' balances of pitch classes differ.
    std::vector<std::vector<double>> keys;
    for (const char* season : seasons)
        keys.push_back(qvtest::PitchClasses(sound, from(std::string(season) + " set") + 3 * second,
                                            from(std::string(season) + " heard"), kLowestNote, kHighestNote));
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            EXPECT_LT(qvtest::Likeness(keys[a], keys[b]), kUnlikeSeasons) << seasons[a] << " and " << seasons[b];
    // The menu plays the music of the first state of the game (summer's), as the world does.
    const std::vector<double> menu =
        qvtest::PitchClasses(sound, from("menu") + second, from("menu music"), kLowestNote, kHighestNote);
    EXPECT_GT(qvtest::Likeness(menu, keys[1]), kUnlikeSeasons) << "the menu's music is summer's";
    for (int other : {0, 2, 3}) EXPECT_LT(qvtest::Likeness(menu, keys[other]), kUnlikeSeasons) << seasons[other];

    // The story step moves the music to the next season's.
    const int story = QV::AudioLogic_::GetInstance().GetSeason();
    ASSERT_EQ(story, seasonBefore + 1);
    const std::vector<double> moved = qvtest::PitchClasses(sound, from("season changed") + 3 * second,
                                                           from("story's season heard"), kLowestNote, kHighestNote);
    for (int season = 0; season < 4; ++season) {
        if (season == story)
            EXPECT_GT(qvtest::Likeness(moved, keys[season]), kUnlikeSeasons) << "the story's " << seasons[season];
        else
            EXPECT_LT(qvtest::Likeness(moved, keys[season]), kUnlikeSeasons) << "the story's, not " << seasons[season];
    }

    // The narration is heard and ducks the music's tune while it speaks (by its bus's 12 dB, as
    // near as the tune, which moves meanwhile, lets it be read), and lets it go after.
    EXPECT_GT(sound.Level(kFirstLineHz, from("narration") + second / 4, from("narration spoken")), 0.005);
    const auto tune = [&](size_t begin, size_t end) {
        return qvtest::BandLevel(sound, begin, end, kTuneBand[0], kTuneBand[1]);
    };
    const double before = tune(from("narration") - 3 * second, from("narration"));
    const double under = tune(from("narration") + second / 2, from("narration spoken"));
    const double after = tune(from("narration spoken") + second, from("narration over"));
    EXPECT_NEAR(Db(under / before), kNarrationDuckDb, 5.0) << "the music under the narration";
    EXPECT_NEAR(Db(after / before), 0.0, 4.0) << "the music after it";
    EXPECT_LT(sound.Peak(), 0.99f);
}

TEST(GameSound, OutsideTheMusicNoToneHoldsSteady) {
    Script script;
    platform::ResetPads();
    platform::ConnectPad(0);
    script.steps = {
        {"menu", In("MainMenu")},
        {"music stopped", StopTheMusic},
        // Posted again every frame, as the game does inside a season volume: the one chain of
        // calls goes on.
        {"menu ambience", [left = Frames(16)]() mutable { return Post("Play_Spring_Ambient")() && --left <= 0; }},
        {"narration", Post("Play_1_Long_ago")},
        {"narration over", Wait(Frames(3))},
        {"play pressed", Tap(script, SD::key_RETURN)},
        {"world", In("World")},
        {"throttle held", [&script] { return PadThrottle(0)() && Hold(script, {SD::key_SPACE})(); }},
        {"flying", Wait(Frames(5))},
        {"throttle released", Hold(script, {})},
    };
    // The seasons' ambiences, then every sound of the game's events one after the other.
    for (const char* event : {"Play_Summer_Ambient", "Play_Fall_Ambient", "Play_Winter_Ambient"}) {
        script.steps.push_back({event, Post(event)});
        script.steps.push_back({std::string(event) + " heard", Wait(Frames(4))});
    }
    for (const char* event : {"Play_Chime", "Play_FireflyMainMenu", "Play_Flower", "Play_Ice_Melt",
                              "Play_Grass_Growing", "Play_Reed", "Play_Old_Crystals", "Play_Lily_Pad", "Play_Pitcher",
                              "Play_Hatch", "Play_Piano", "Play_Thunder", "Play_Water"}) {
        script.steps.push_back({event, Post(event)});
        script.steps.push_back({std::string(event) + " heard", Wait(Frames(1.5))});
    }
    for (const uint32_t event : {QV::SimpleTombstoneLogic::kDefaultSound, QV::CrystalLogic::kChime}) {
        script.steps.push_back({std::to_string(event), [event] {
                                    QV::AudioLogic_::PostEventID(event, nullptr);
                                    return true;
                                }});
        script.steps.push_back({std::to_string(event) + " heard", Wait(Frames(2.5))});
    }
    SD::RunSummary summary;
    const CapturedSound sound = RunWholeGame(script, summary);
    ASSERT_TRUE(RanCleanly(script, summary));
    const size_t begin = script.at.at("music stopped") + sound.rate / 2;

    // In the menu the birds call now and then, however often their ambience is posted: calls
    // apart from each other, above the music's notes, at gaps of differing length and at pitches
    // of their own, with quiet between.
    constexpr size_t kCallWindow = 2048, kCallHop = kCallWindow / 4;
    const size_t menuFrom = script.at.at("music stopped") + sound.rate, menuTo = script.at.at("menu ambience");
    const std::vector<double> band = qvtest::BandEnvelope(sound, menuFrom, menuTo, kCallWindow, 2000.0, 6000.0);
    ASSERT_FALSE(band.empty());
    const double loudest = *std::max_element(band.begin(), band.end());
    std::vector<size_t> onsets;  // frames
    std::set<int> pitches;       // each call's loudest pitch, in semitones
    for (size_t i = 1; i < band.size(); ++i) {
        if (band[i] < loudest / 4 || band[i - 1] >= loudest / 4) continue;
        onsets.push_back(menuFrom + i * kCallHop);
        const std::vector<double> spectrum = qvtest::Spectrum(sound, onsets.back(), kCallWindow);
        const size_t low = 2000 * kCallWindow / sound.rate, high = 6000 * kCallWindow / sound.rate;
        const size_t peak = std::max_element(spectrum.begin() + low, spectrum.begin() + high) - spectrum.begin();
        pitches.insert(
            static_cast<int>(std::lround(12.0 * std::log2(double(peak) * sound.rate / kCallWindow / 440.0))));
    }
    ASSERT_GE(onsets.size(), 3u) << "the birds call";
    std::vector<double> gaps;
    for (size_t i = 1; i < onsets.size(); ++i) gaps.push_back(double(onsets[i] - onsets[i - 1]) / sound.rate);
    // Calls repeated at one rate would differ by a hop or two of the window; the drawn pauses
    // spread them further, though by chance only a little over a few calls.
    EXPECT_GT(*std::max_element(gaps.begin(), gaps.end()) - *std::min_element(gaps.begin(), gaps.end()),
              4.0 * kCallHop / sound.rate)
        << "the calls come at irregular times: " << ::testing::PrintToString(gaps);
    EXPECT_GE(pitches.size(), 2u) << "the calls at pitches of their own";
    const auto quiet = std::count_if(band.begin(), band.end(), [loudest](double v) { return v < loudest / 10; });
    EXPECT_GT(double(quiet) / band.size(), 0.3) << "quiet between the calls";

    for (const qvtest::SteadyTone& tone : qvtest::SteadyTones(sound, begin, sound.left.size(), -40.0, 1.0))
        ADD_FAILURE() << "a steady tone at " << tone.hz << " Hz, " << tone.db << " dBFS, for " << tone.seconds
                      << " s from " << double(tone.from - begin) / sound.rate << " s";
}

}  // namespace
