// The world's intro: eighteen slides in groups of three (text, foreground and background shown
// together), each group held for its first slide's time while it drifts, then faded out over
// half that time; the vehicle takes input and the first spawners start once all have gone. The
// times are the frames' wall-clock seconds. Pictures cover the screen; a slide with words is
// drawn whole within it, with room for its drift, at any screen shape.
#include <algorithm>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Group.h"
#include "engine/Transform.h"
#include "game/components/Spawner.h"
#include "game/hud/HudSprites.h"
#include "game/player/PlayerLogic.h"
#include "game/states/StateObjects.h"
#include "game/states/World.h"
#include "graphics/Graphics.h"
#include "graphics/components/Sprite.h"

namespace QV {
namespace {

enum class Fit { kCover, kWhole };

struct SlideArt {
    const char* texture;
    float seconds;
    Fit fit;
};

// The title card stands on black: drawn whole it may leave a border.
const SlideArt kSlides[World::kSlideCount] = {
    {"BlackPixel.dds", 2.0f, Fit::kCover},     {"BlackPixel.dds", 2.0f, Fit::kCover},
    {"BlackPixel.dds", 2.0f, Fit::kCover},     {"clear.png", 5.0f, Fit::kWhole},
    {"BlackPixel.dds", 5.0f, Fit::kCover},     {"experience.dds", 5.0f, Fit::kWhole},
    {"BlackPixel.dds", 2.0f, Fit::kCover},     {"BlackPixel.dds", 2.0f, Fit::kCover},
    {"BlackPixel.dds", 2.0f, Fit::kCover},     {"narrative1text.png", 5.0f, Fit::kWhole},
    {"narrative1fg.png", 5.0f, Fit::kCover},   {"narrative1bg.png", 5.0f, Fit::kCover},
    {"narrative2text.png", 5.0f, Fit::kWhole}, {"narrative2fg.png", 5.0f, Fit::kCover},
    {"narrative2bg.png", 5.0f, Fit::kCover},   {"narrative3text.png", 5.0f, Fit::kWhole},
    {"narrative3fg.png", 5.0f, Fit::kCover},   {"narrative3bg.png", 5.0f, Fit::kCover},
};

// A picture's height on screen is 0.625 of its width (the pictures are 16:10), both following
// the screen's width; slides were drawn 1.1 by 1.01 of the screen so a covering one's edges
// never show while it drifts.
constexpr float kPictureShape = 0.625f;
constexpr float kCoverX = 1.1f;
constexpr float kCoverY = 1.01f;
// A whole slide takes this much of the screen's width, or of its height on a wider screen: the
// rest is room for its drift.
constexpr float kWholePart = 0.9f;

// The slide's scale on a screen of that height for its width.
SD::Vec3 SlideScale(Fit fit, float heightPerWidth) {
    if (fit == Fit::kWhole) {
        const float s = kWholePart * std::min(1.0f, heightPerWidth / kPictureShape);
        return {s, s, 1.0f};
    }
    // A screen taller than the pictures' shape needs them larger to be covered top to bottom.
    const float grow = std::max(1.0f, heightPerWidth / kPictureShape);
    return {kCoverX * grow, kCoverY * grow, 1.0f};
}

float ScreenHeightPerWidth() {
    const Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    const SD::Vec2 size = graphics ? graphics->GetRenderSize() : SD::Vec2();
    return size.x > 0.0f && size.y > 0.0f ? size.y / size.x : kPictureShape;
}

float SlideOffsetX(int slide) {
    if (slide == 7) return -0.0357f;
    if (slide == 8) return 0.01786f;
    return 0.0f;
}

void SetControlsEnabled(bool enabled) {
    SD::GameObject* player = FindNamed("Player");
    auto* logic = player ? static_cast<PlayerLogic*>(player->GetComponent(SD::CID_Player)) : nullptr;
    if (logic) logic->SetControlsEnabled(enabled);
}

}  // namespace

void World::BuildSlides() {
    slides_.clear();
    SD::Factory_* factory = SD::Factory_::GetInstance();
    for (int i = 0; i < kSlideCount; ++i) {
        SD::GameObject* slide = factory ? factory->NewGameObject() : nullptr;
        slides_.push_back({slide ? slide->GetHandle() : SD::GameObjectHandle(), kSlides[i].seconds});
        if (!slide) continue;
        SD::Transform& t = slide->GetTransform();
        t.SetPos(SD::Vec3(SlideOffsetX(i) + 0.5f, 0.5f, static_cast<float>(kSlideCount - i)));
        t.SetScale(SlideScale(kSlides[i].fit, ScreenHeightPerWidth()));
        t.SetOrient(SD::Mtx33::Identity());
        // A screen sprite, the kind the sprite pass draws, centred on the slide's position as the
        // HUD's pictures are.
        if (auto* sprite = static_cast<Aperture::UISprite*>(slide->AddComponent(SD::CID_UISprite))) {
            sprite->SetAnchor(SD::Vec2(0.5f, 0.5f));
            sprite->SetTexture(kSlides[i].texture);
            sprite->SetOpacity(1.0f);
        }
        SetSpriteOpacity(slide, 1.0f);
        slide->Initialize(false);
    }
}

void World::Initialize() {
    BuildSlides();
    slidePhase_ = kShowing;
    firstSlide_ = 0;
    slideTimer_ = 2.0f;
    SetControlsEnabled(false);
}

void World::DestroySlides(int first, int count) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    for (int i = first; i < first + count && i < static_cast<int>(slides_.size()); ++i) {
        if (SD::GameObject* slide = slides_[i].object.get(); slide && factory) factory->DestroyGameObject(slide);
        slides_[i].object = SD::GameObjectHandle();
    }
}

void World::DriftSlides(int first, float dt) {
    // Sized afresh each frame, so a window resized during the intro keeps every slide right.
    const float heightPerWidth = ScreenHeightPerWidth();
    for (int k = 0; k < 3 && first + k < static_cast<int>(slides_.size()); ++k) {
        SD::GameObject* slide = slides_[first + k].object.get();
        if (!slide) continue;
        const float side = (first + k) % 2 == 1 ? 1.0f : -1.0f;
        SD::Transform& t = slide->GetTransform();
        t.SetPosX(t.GetPosX() + (0.0032f - 0.3f * 0.0032f * static_cast<float>(k)) * side * dt);
        t.SetScale(SlideScale(kSlides[first + k].fit, heightPerWidth));
    }
}

int World::TransitionIn(float dt) {
    // A phase that ends within a frame hands what is left of the frame to the next, so the
    // intro keeps to the wall clock however long the frames are.
    slideTimer_ -= dt;
    if (slidePhase_ == kShowing) {
        DriftSlides(firstSlide_, dt);
        if (slideTimer_ >= 0.0f) return 0;
        slideTimer_ += kSlides[firstSlide_].seconds * 0.5f;
        slidePhase_ = kFading;
        return 0;
    }
    if (slidePhase_ == kFading) {
        const float half = kSlides[firstSlide_].seconds * 0.5f;
        for (int k = 0; k < 3; ++k) SetSpriteOpacity(slides_[firstSlide_ + k].object.get(), slideTimer_ / half);
        if (firstSlide_ != 0) DriftSlides(firstSlide_, dt);
        if (firstSlide_ + 3 < kSlideCount) DriftSlides(firstSlide_ + 3, dt);
        if (slideTimer_ >= 0.0f) return 0;
        DestroySlides(firstSlide_, 3);
        firstSlide_ += 3;
        slideTimer_ += kSlides[firstSlide_ % kSlideCount].seconds;
        slidePhase_ = firstSlide_ == kSlideCount ? kSlidesDone : kShowing;
        // The last fade over, the world is handed over in the same frame.
        if (slidePhase_ == kShowing) return 0;
    }
    SetControlsEnabled(true);
    static const SD::SharedString initial("InitialGroup");
    SD::Group::FindGroup(initial).ForEach([](SD::Component* member) {
        SD::GameObject* owner = member->GetOwner();
        if (auto* spawner = owner ? static_cast<Spawner*>(owner->GetComponent(SD::CID_Spawner)) : nullptr)
            spawner->SetSpawn_state(true);
    });
    return 1;
}

void World::OnEntered() { DestroySlides(0, static_cast<int>(slides_.size())); }

}  // namespace QV
