#pragma once
// Plays a short entrance (or exit) on its object when it comes to life: grows it from nothing,
// raises it out of the ground, fades its light, waterfall or sprite in or out, or sends it into
// a twirl. The behaviour is chosen by name; one may queue the next (fade in, wait, fade out).
// In the developer pause the object shows its final state so it can be edited.
#include <memory>
#include <string>
#include <vector>

#include "core/ActionList.h"
#include "core/Matrix.h"
#include "core/RTTI.h"
#include "core/SharedString.h"
#include "core/Timer.h"
#include "core/Vector.h"
#include "engine/UpdateComponent.h"
#include "game/components/ReflectedLogic.h"
#include "runtime/InterpolatorSystem.h"

namespace SD {
class IMessage;
}

namespace QV {

class SpawnLogic : public ReflectedLogic<SpawnLogic, SD::CID_SpawnLogic> {
public:
    static constexpr int kDataVersion = 2;
    // The wait on screen between fading in and fading out, counted from the start of the fade in.
    static constexpr double kOnScreenSeconds = 15.0;

    SpawnLogic();
    ~SpawnLogic() override;

    int VGetVersion() const override { return kDataVersion; }
    bool VReadsVersion(int version) const override { return version == 1 || version == 2; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VUpdate(float dt) override;
    void VOnSleep() override {}
    void VOnAwake() override;
    void RegisterFunctions() override;

    float GetDelay() const { return initialDelay_; }
    // Also restarts the running delay.
    void SetDelay(float seconds) { initialDelay_ = delay_ = seconds; }
    float GetDuration() const { return duration_; }
    // A negative duration is stored as 0.
    void SetDuration(float seconds) { duration_ = seconds < 0.0f ? 0.0f : seconds; }
    const char* GetActionName() const { return action_.c_str(); }
    void SetActionName(const char* name) { action_ = name ? name : ""; }
    float GetSinkDepth() { return sinkDepth_; }
    void SetSinkDepth(float depth) { sinkDepth_ = depth; }

    // Where the object comes to rest: for "RiseUp" its sunk position raised by the sink depth,
    // otherwise where it is.
    SD::Vec3 GetRestingPosition();
    // Set once its behaviour has begun; an entrance that has played out keeps it.
    bool HasStarted() const { return started_ != 0; }
    // Plays the entrance again: the object hides as it did when it came to life and the action
    // runs anew after the initial delay.
    void Restart();
    size_t GetQueuedCount() const { return queue_.Size(); }

    void OnPlayStateChange(SD::IMessage* message);

    // The behaviours, run once per update while queued.
    void FadeLightIn();
    void RiseUp();
    void ScaleIn();
    void FadeWaterfallIn();
    void ScaleRotateIn();
    void Twirl();
    void FadeIn();
    void WaitOnScreen();
    void FadeOut();

private:
    // Counts the initial delay down; true while it lasts.
    bool Waiting();
    // Starts the behaviour's interpolation over its duration once the delay has run out (first
    // putting back the saved scale and orientation if asked); false while the delay runs.
    bool BeginAfterDelay(bool restoreLook);
    void RestoreScaleAndOrientation();
    void Queue(const char* behaviour);
    // Hides the object as the start of its behaviour wants it.
    void Hide();
    void Brighten(float t);
    void SyncCollider();

    SD::ActionList queue_;
    SD::SharedString action_;
    float frameTime_ = 0.0f;
    uint32_t started_ = 0;
    SD::InterpolatorF interpolator_;
    float duration_ = 1.0f;
    SD::Vec3 savedScale_;
    SD::Mtx33 savedOrientation_;
    float initialDelay_ = 0.0f;
    float delay_ = 0.0f;
    SD::Vec3 twirlDirection_;
    float twirlDuration_ = 0.0f;
    SD::Stopwatch waitWatch_;
    float sinkDepth_ = 0.0f;
    float riseOffset_ = 0.0f;
    SD::Vec3 sunkPosition_;
    SD::Vec4 savedColor_;
    bool listening_ = false;
    std::vector<MFCore::Any> selfArgs_;
};

}  // namespace QV
