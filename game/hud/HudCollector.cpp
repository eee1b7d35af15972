#include "game/hud/HudCollector.h"

#include <algorithm>

#include "core/EngineCore.h"
#include "core/Logger.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/hud/Button.h"
#include "game/hud/CheckBox.h"
#include "game/hud/HudSprites.h"
#include "game/hud/HudSystem.h"
#include "game/hud/Slider.h"
#include "game/systems/AudioLogic.h"
#include "graphics/Graphics.h"
#include "graphics/components/Sprite.h"
#include "runtime/Input.h"

namespace QV {
namespace {

constexpr double kPulseSeconds = 0.75;
// Drawn over the widget it frames.
constexpr float kFrameDepth = 0.05f;

bool Triggered(SD::Input_* input, const char* action) { return input && input->GetDigitalTriggered(action); }

bool g_frameMissingReported = false;

}  // namespace

HudCollector* ParentCollector(const SD::Component& widget) {
    SD::GameObject* owner = widget.GetOwner();
    SD::GameObject* parent = owner ? owner->GetParent() : nullptr;
    return parent ? static_cast<HudCollector*>(parent->GetComponent(SD::CID_HudCollector)) : nullptr;
}

void HudCollector::VInitialize(bool) { RestartPulse(); }

void HudCollector::RestartPulse() { pulse_.Start(1.0f, kDimmest, kPulseSeconds); }

float HudCollector::AdvancePulse() {
    if (pulse_.IsComplete()) pulse_.Reverse();
    return pulse_.GetValue();
}

void HudCollector::VSerialize(SD::IStream& stream, int version) {
    if (version != 0 && version != 1) return;
    if (version == 1) stream.Serialize(resCollector, "Res Collector", "Boolean");
    stream.Serialize(startingIndex, "Starting index", "Integer");
    stream.Serialize(wrapping, "Wrapping?", "Boolean");
    stream.Serialize(animateWhilePaused, "Animate while paused?", "Boolean");
    stream.Serialize(leftRightSupport, "Left/Right Support", "Boolean");
}

void HudCollector::VRegister() {
    current_ = startingIndex;
    if (HudSystem* hud = HudSystem::GetInstance()) hud->RegisterCollector(this);
}

void HudCollector::VUnregister() {
    if (HudSystem* hud = HudSystem::GetInstance()) hud->UnregisterCollector(this);
}

void HudCollector::RemoveItem(SD::Component* widget) {
    auto found = std::find(items_.begin(), items_.end(), widget);
    if (found != items_.end()) items_.erase(found);
}

void HudCollector::DropUnofferedResolutions() {
    const Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    for (size_t i = 0; i < items_.size();) {
        SD::Component* item = items_[i];
        uint32_t width = 0, height = 0;
        SD::GameObject* owner = item->GetOwner();
        SD::Component* button = owner ? owner->GetComponent(SD::CID_Button) : nullptr;
        const bool resolution = owner && HudSystem::ParseResolution(owner->GetBlueprintName(), &width, &height);
        if (button && resolution && graphics && !graphics->OffersResolution(width, height)) {
            const size_t before = items_.size();
            button->SetActiveIn(button->GetPlayState(), false);
            button->ApplyPlayState(button->GetPlayState());
            // Unregistering removes it; should it stay, step past it rather than loop on it.
            if (items_.size() < before) continue;
        }
        ++i;
    }
    resCollector = false;
}

void HudCollector::FrameTheFocus() {
    SD::GameObject* owner = GetOwner();
    SD::GameObject* focused = items_[current_]->GetOwner();
    SD::GameObject* frame = frame_.get();
    if (!frame && owner) {
        SD::Factory_* factory = SD::Factory_::GetInstance();
        frame = factory ? factory->CreateObject(kFocusFrame, nullptr) : nullptr;
        if (!frame) {
            if (!g_frameMissingReported)
                SD_WARNING(Debug::kLogData, "HUD blueprint [%s] is missing: menus show no frame around their focus.",
                           kFocusFrame);
            g_frameMissingReported = true;
            return;
        }
        owner->AttachChild(frame);
        frame->Initialize(false);
        frame_ = frame->GetHandle();
    }
    if (!frame || !focused) return;
    const SD::Transform& at = focused->GetTransform();
    frame->GetTransform().SetPos(at.GetLocalPos() + SD::Vec3(0.0f, 0.0f, kFrameDepth));
    // Screen sprites' scales are shares of the reference screen's width and height.
    const SD::Vec3 margin(2.0f * kFrameMargin / Aperture::UISprite::kReferenceWidth,
                          2.0f * kFrameMargin / Aperture::UISprite::kReferenceHeight, 0.0f);
    frame->GetTransform().SetScale(at.GetScale() + margin);
    const float brightness = AdvancePulse();
    SetSpriteColor(frame, brightness, brightness, brightness);
}

void HudCollector::Update(float dt) {
    if (items_.empty()) return;
    if (resCollector) DropUnofferedResolutions();
    if (items_.empty()) return;

    SD::Input_* input = SD::Input_::GetInstance();
    const int count = static_cast<int>(items_.size());
    const int prev = current_;
    int index = current_;
    if (Triggered(input, "HS_Up")) --index;
    if (Triggered(input, "HS_Down")) ++index;
    if (leftRightSupport && prev >= 0 && prev < count && items_[prev]->GetID() != SD::CID_Slider) {
        if (Triggered(input, "HS_Left")) --index;
        if (Triggered(input, "HS_Right")) ++index;
    }
    if (index != prev) {
        AudioLogic_::PostEvent("Play_FireflyMainMenu", nullptr);
        RestartPulse();
    }
    if (wrapping) {
        // One step of arithmetic: a starting index from data may lie far below zero.
        index = (index % count + count) % count;
    } else {
        index = std::clamp(index, 0, count - 1);
    }
    current_ = index;

    FrameTheFocus();

    const SD::Core* core = SD::Core::GetInstance();
    const float step = animateWhilePaused && core ? static_cast<float>(core->GetFrameTime()) : dt;
    // A callback may open or close HUDs and so change the items: walk a copy.
    const std::vector<SD::Component*> items = items_;
    for (size_t i = 0; i < items.size(); ++i) {
        if (std::find(items_.begin(), items_.end(), items[i]) == items_.end()) continue;
        const bool focused = static_cast<int>(i) == current_;
        switch (items[i]->GetID()) {
            case SD::CID_Button:
                static_cast<Button*>(items[i])->Step(focused, step);
                break;
            case SD::CID_CheckBox:
                static_cast<CheckBox*>(items[i])->Step(focused, step);
                break;
            case SD::CID_Slider:
                static_cast<Slider*>(items[i])->Step(focused, step);
                break;
            default:
                break;
        }
    }
}

}  // namespace QV
