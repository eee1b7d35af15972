#pragma once
// The play state: builds the world from its level with the vehicle, its camera and the HUD
// pieces, plays the intro slide show while it enters, and while it runs handles pause and the
// quit prompt, the way back to the menu, the release of fireflies from spawners, the queue of
// narration lines and the final credits.
#include <vector>

#include "core/Vector.h"
#include "engine/GameObjectHandle.h"
#include "engine/Level.h"
#include "game/states/ScreenFade.h"
#include "runtime/InputBindingSet.h"

namespace SD {
class IMessage;
}

namespace QV {

class World : public SD::Level {
public:
    enum SlidePhase { kShowing = 0, kFading = 1, kSlidesDone = 2 };
    static constexpr int kSlideCount = 18;
    static constexpr size_t kNarrationCapacity = 16;
    static constexpr float kReleaseInterval = 0.2f;
    static constexpr float kCreditsEndY = -2.7f;

    World();
    ~World() override;

    void Load() override;
    void Unload() override;
    void Initialize() override;
    // The slide show; 1 once it is done.
    int TransitionIn(float dt) override;
    void OnEntered() override;
    void BeginExit() override { fade_.FadeOut(2.0); }
    int TransitionOut(float dt) override;
    void OnExited() override { ScreenFade::RemoveOverlay(); }
    void Update(float dt) override;

    // The world state while it is the current one, else null.
    static World* Current();

    void AddReleaseSpawner(const SD::GameObjectHandle& spawner);
    void BeginSummerEvent();
    // The queue of narration lines: the HUD fade triggers the player came near, in turn; the
    // front one is shown each frame until its HUD has ended and it takes its entry out.
    void PushNarration(const SD::GameObjectHandle& trigger);
    void PopNarration();
    // Takes that trigger's entry out wherever it stands, the others keeping their order; false
    // when it has none.
    bool RemoveNarration(const SD::GameObjectHandle& trigger);
    // The yellow fireflies and the swaying scenery (floating bulbs, lily pads) of this visit,
    // each listed once.
    void AddYellowFirefly(const SD::GameObjectHandle& firefly);
    void AddSwayingScenery(const SD::GameObjectHandle& scenery);
    const std::vector<SD::GameObjectHandle>& GetYellowFireflies() const { return yellowFireflies_; }
    const std::vector<SD::GameObjectHandle>& GetSwayingScenery() const { return swayingScenery_; }

    int GetSlidePhase() const { return slidePhase_; }
    int GetFirstSlide() const { return firstSlide_; }
    bool IsReleaseActive() const { return releaseActive_; }
    size_t GetReleaseCount() const { return release_.size(); }
    const std::vector<SD::GameObjectHandle>& GetReleaseSpawners() const { return release_; }
    size_t GetNarrationCount() const { return narrationCount_; }
    // The opacity the program-wide "HUD" overlay fade has reached.
    static float HudOverlayFade();

private:
    struct Slide {
        SD::GameObjectHandle object;
        float seconds;
    };
    void BuildSlides();
    void DestroySlides(int first, int count);
    void DriftSlides(int first, float dt);
    void StepRelease(float dt);
    // False when the narration's front stops the update for this frame.
    bool StepNarration();
    void StepCredits(float dt);
    void OnPlayStateChanged(SD::IMessage* message);

    ScreenFade fade_;
    SD::InputBindingSet bindings_;
    std::vector<Slide> slides_;
    int slidePhase_ = kShowing;
    int firstSlide_ = 0;
    float slideTimer_ = 0.0f;
    SD::Vec4 savedPlayerColor_{1.0f, 1.0f, 1.0f, 1.0f};
    SD::GameObjectHandle narration_[kNarrationCapacity];
    size_t narrationFront_ = 0;
    size_t narrationCount_ = 0;
    std::vector<SD::GameObjectHandle> release_;
    std::vector<SD::GameObjectHandle> yellowFireflies_;
    std::vector<SD::GameObjectHandle> swayingScenery_;
    bool releaseActive_ = false;
    float releaseTimer_ = kReleaseInterval;
    bool handlerRegistered_ = false;
};

}  // namespace QV
