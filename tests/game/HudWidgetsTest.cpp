#include <gtest/gtest.h>

#include <cmath>

#include "HudTestSupport.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialOutStream.h"

namespace {

using hudtest::Blueprint;
using hudtest::ButtonXml;
using hudtest::CollectorXml;

std::string CheckBoxXml(const std::string& query) {
    return hudtest::SpriteXml("off") +
           "<CheckBox version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><String name=\"QueryState Function\">" +
           query +
           "</String><String name=\"OnCheck Function\">Checked</String><String name=\"OnUncheck Function\">Unchecked"
           "</String><String name=\"Checked Texture\">on</String><String name=\"Unchecked Texture\">off</String>"
           "</CheckBox>";
}

std::string SliderXml(float low, float high, float steps, float boundaryPixels) {
    char text[1024];
    std::snprintf(
        text, sizeof text,
        "<Slider version=\"0\" Play=\"1\" Pause=\"1\" DevPause=\"1\"><Float name=\"Trigger Time\" value=\"0.2\"/>"
        "<Float name=\"Min Range\" value=\"%g\"/><Float name=\"Max Range\" value=\"%g\"/>"
        "<Float name=\"Range Step\" value=\"%g\"/><Float name=\"Boundary Offset\" value=\"%g\"/>"
        "<String name=\"Slider Object Name\">W/Track</String><String name=\"Slider Bar Object Name\">W/Knob"
        "</String><Vector3 name=\"Slider Object Offset\"><Float value=\"0\"/><Float value=\"0\"/>"
        "<Float value=\"0\"/></Vector3></Slider>",
        low, high, steps, boundaryPixels);
    return text;
}

std::string ResCollectorXml() {
    std::string xml = CollectorXml(0, false, false);
    return xml.replace(xml.find("\"Res Collector\" value=\"0\""), 25, "\"Res Collector\" value=\"1\"");
}

// The track is 0.5 wide at x = 2.
std::string TrackBlueprint() {
    return "<GameObjectBlueprint name=\"W/Track\"><Components><Transform version=\"0\" Play=\"1\" Pause=\"1\" "
           "DevPause=\"1\"><Vector3 name=\"position\"><Float value=\"2\"/><Float value=\"1\"/><Float value=\"0\"/>"
           "</Vector3><Vector3 name=\"scale\"><Float value=\"0.5\"/><Float value=\"1\"/><Float value=\"1\"/>"
           "</Vector3></Transform></Components></GameObjectBlueprint>";
}

const char* const kScripts =
    "presses = 0 checks = 0 unchecks = 0 "
    "function Pressed(object, dt) presses = presses + 1 last = object:GetBlueprintName() step = dt end "
    "function Checked(object, dt) checks = checks + 1 end "
    "function Unchecked(object, dt) unchecks = unchecks + 1 end "
    "function QueryOn() return true end "
    "function CloseMenu(object, dt) Factory_.GetInstance():GetGameObject('Menu'):Destroy() presses = presses + 1 end ";

class Widgets : public hudtest::HudFixture {
protected:
    void SetUp() override {
        Start(Blueprint("W/Plain", CollectorXml(0, false, false)) + Blueprint("W/Wrap", CollectorXml(0, true, false)) +
              Blueprint("W/FarWrap", CollectorXml(-2000000000, true, false)) +
              Blueprint("W/Sides", CollectorXml(0, false, true)) + Blueprint("W/B0", ButtonXml("Pressed")) +
              Blueprint("W/B1", ButtonXml("Pressed")) + Blueprint("W/B2", ButtonXml("Pressed")) +
              Blueprint("W/Close", ButtonXml("CloseMenu")) + Blueprint("W/Box", CheckBoxXml("QueryOn")) +
              Blueprint("W/Vol", SliderXml(0, 1, 10, 0)) + Blueprint("W/Range", SliderXml(2, 4, 2, 0)) +
              Blueprint("W/Flat", SliderXml(1, 1, 0, 0)) + TrackBlueprint() + Blueprint("W/Knob") +
              Blueprint("W/Modes", ResCollectorXml()) + Blueprint("Hud/Res_1280x800", ButtonXml("Pressed")) +
              Blueprint("Hud/Res_640x480", ButtonXml("Pressed")));
        ASSERT_TRUE(lua.Run(kScripts));
    }
    // A HUD of that collector with those widgets, opened and settled for a frame.
    SD::GameObject* Menu(const std::string& collector, const std::vector<std::string>& widgets) {
        std::string text = collector + "\n";
        for (const std::string& widget : widgets) text += widget + " 0 0 0\n";
        tree.Write("Assets/HudFiles/Menu.hud", text);
        SD::GameObject* root = OpenHud("Menu");
        if (root) root->NameObject("Menu");
        Frame();
        return root;
    }
    QV::HudCollector& Front() { return *hud.FrontCollector(); }
    // The texture on the sprite of the open menu's widget of that blueprint.
    std::string Texture(const std::string& blueprint) {
        for (SD::GameObject* widget : Children(Named("Menu")))
            if (widget->GetBlueprintName() == blueprint) return hudtest::TextureOf(widget);
        return "(no widget)";
    }
    QV::Slider& SliderOf(SD::GameObject* menu) {
        return *static_cast<QV::Slider*>(Children(menu)[0]->GetComponent(SD::CID_Slider));
    }
    void Advance(float seconds) {
        for (float t = 0.0f; t < seconds; t += 0.016f) Frame();
    }
};

TEST_F(Widgets, FocusClampsAtTheEndsAndStillAnswersTheMove) {
    ASSERT_NE(Menu("W/Plain", {"W/B0", "W/B1", "W/B2"}), nullptr);
    Tap({SD::key_UP});
    EXPECT_EQ(Front().CurrentIndex(), 0);
    EXPECT_EQ(sound.Events(), std::vector<std::string>{"Play_FireflyMainMenu"});
    Tap({SD::key_DOWN});
    Tap({SD::key_S});
    Tap({SD::key_DOWN});
    EXPECT_EQ(Front().CurrentIndex(), 2);
    EXPECT_EQ(Texture("W/B2"), "over");
    EXPECT_EQ(Texture("W/B1"), "up");
}

TEST_F(Widgets, FocusWrapsAroundInAWrappingCollector) {
    ASSERT_NE(Menu("W/Wrap", {"W/B0", "W/B1", "W/B2"}), nullptr);
    Tap({SD::key_UP});
    EXPECT_EQ(Front().CurrentIndex(), 2);
    Tap({SD::key_DOWN});
    EXPECT_EQ(Front().CurrentIndex(), 0);
}

TEST_F(Widgets, AStartingIndexFarBelowZeroWrapsAtOnce) {
    ASSERT_NE(Menu("W/FarWrap", {"W/B0", "W/B1", "W/B2"}), nullptr);
    // -2,000,000,000 is 1 more than a multiple of 3.
    EXPECT_EQ(Front().CurrentIndex(), 1);
}

TEST_F(Widgets, AButtonClickCallsItsScriptAtMostOncePerCoolDown) {
    ASSERT_NE(Menu("W/Plain", {"W/B0", "W/B1"}), nullptr);
    keys.insert(SD::key_RETURN);
    Frame();
    EXPECT_EQ(lua.Number("presses"), 1);
    EXPECT_EQ(lua.Text("last"), "W/B0");
    EXPECT_NEAR(lua.Number("step"), 0.016, 1e-6);
    EXPECT_EQ(Texture("W/B0"), "down");
    keys.clear();
    Frame();
    EXPECT_EQ(Texture("W/B0"), "over");  // back up once the press is over
    Tap({SD::key_SPACE});                // within 0.3 s of game time
    EXPECT_EQ(lua.Number("presses"), 1);
    Advance(0.3f);
    Tap({SD::xpad1_A});
    EXPECT_EQ(lua.Number("presses"), 2);
}

// The press that opens a menu must not also fire its first entry.
TEST_F(Widgets, APressInTheFrameAMenuOpensDoesNotFireIt) {
    keys.insert(SD::key_RETURN);
    Frame();
    tree.Write("Assets/HudFiles/Menu.hud", "W/Plain\nW/B0 0 0 0\n");
    ASSERT_NE(OpenHud("Menu"), nullptr);
    keys.clear();
    keys.insert(SD::key_RETURN);
    input.Update(0.016f);  // the key went down again this frame
    keys.clear();
    EXPECT_TRUE(hud.CollectorAdded());
    components.Update(0.016f);
    hud.Update(0.016f);
    EXPECT_EQ(lua.Number("presses"), 0);
}

TEST_F(Widgets, AScriptThatClosesItsOwnMenuEndsTheWalkSafely) {
    ASSERT_NE(Menu("W/Plain", {"W/Close", "W/B0"}), nullptr);
    Tap({SD::key_RETURN});
    EXPECT_EQ(lua.Number("presses"), 1);
    EXPECT_EQ(Named("Menu"), nullptr);
    EXPECT_EQ(hud.FrontCollector(), nullptr);
}

TEST_F(Widgets, ACheckBoxStartsFromItsQueryAndTogglesOnSelect) {
    ASSERT_NE(Menu("W/Plain", {"W/Box"}), nullptr);
    auto* box = static_cast<QV::CheckBox*>(Children(Named("Menu"))[0]->GetComponent(SD::CID_CheckBox));
    EXPECT_TRUE(box->IsChecked());
    EXPECT_EQ(Texture("W/Box"), "on");
    Tap({SD::key_RETURN});
    EXPECT_FALSE(box->IsChecked());
    EXPECT_EQ(Texture("W/Box"), "off");
    EXPECT_EQ(lua.Number("unchecks"), 1);
    Tap({SD::key_RETURN});  // check boxes have no cool-down
    EXPECT_TRUE(box->IsChecked());
    EXPECT_EQ(lua.Number("checks"), 1);
}

// Dragging the knob to each end: a tenth of the range per press, held at both ends, the
// volume following and the knob at the track's ends.
TEST_F(Widgets, ASliderStepsStopsAtItsEndsAndSetsTheVolume) {
    SD::GameObject* menu = Menu("W/Plain", {"W/Vol"});
    ASSERT_NE(menu, nullptr);
    QV::Slider& slider = SliderOf(menu);
    ASSERT_NE(slider.Knob(), nullptr);
    EXPECT_FLOAT_EQ(slider.GetValue(), 1.0f);  // from the master volume
    Tap({SD::key_LEFT});
    Tap({SD::key_LEFT});
    Tap({SD::key_LEFT});
    EXPECT_NEAR(slider.GetValue(), 0.7f, 1e-5);
    EXPECT_NEAR(QV::AudioLogic_::GetInstance().GetGlobalVolume(), 0.7f, 1e-5);
    for (int i = 0; i < 12; ++i) Tap({SD::key_RIGHT});
    EXPECT_FLOAT_EQ(slider.GetValue(), 1.0f);
    EXPECT_FLOAT_EQ(QV::AudioLogic_::GetInstance().GetGlobalVolume(), 1.0f);
    EXPECT_FLOAT_EQ(slider.Knob()->GetTransform().GetPosX(), 2.0f + 0.25f);
    EXPECT_FLOAT_EQ(slider.Knob()->GetTransform().GetPosZ(), 1.0f);
    for (int i = 0; i < 15; ++i) Tap({SD::key_LEFT});
    EXPECT_FLOAT_EQ(slider.GetValue(), 0.0f);
    EXPECT_FLOAT_EQ(QV::AudioLogic_::GetInstance().GetGlobalVolume(), 0.0f);
    EXPECT_FLOAT_EQ(slider.Knob()->GetTransform().GetPosX(), 2.0f - 0.25f);
}

TEST_F(Widgets, ASliderValueOutOfRangeIsHeldToTheRangeFromItsMinimum) {
    SD::GameObject* menu = Menu("W/Plain", {"W/Range"});
    ASSERT_NE(menu, nullptr);
    QV::Slider& slider = SliderOf(menu);
    EXPECT_FLOAT_EQ(slider.GetValue(), 4.0f);  // the top of 2..4 at full volume
    Tap({SD::key_LEFT});
    EXPECT_FLOAT_EQ(slider.GetValue(), 3.0f);
    EXPECT_FLOAT_EQ(QV::AudioLogic_::GetInstance().GetGlobalVolume(), 0.5f);
    EXPECT_FLOAT_EQ(slider.Knob()->GetTransform().GetPosX(), 2.0f);
    for (float outside : {-7.0f, 1.0f, 9.0f}) {
        slider.SetValue(outside);
        slider.SetSliderPosition();
        EXPECT_FLOAT_EQ(slider.GetValue(), outside < 2.0f ? 2.0f : 4.0f) << outside;
    }
}

TEST_F(Widgets, ASliderWithAnEmptyRangeOrNoStepsHolds) {
    SD::GameObject* menu = Menu("W/Plain", {"W/Flat"});
    ASSERT_NE(menu, nullptr);
    QV::Slider& slider = SliderOf(menu);
    Tap({SD::key_RIGHT});
    Tap({SD::key_LEFT});
    EXPECT_FLOAT_EQ(slider.GetValue(), 1.0f);
    EXPECT_FALSE(std::isnan(QV::AudioLogic_::GetInstance().GetGlobalVolume()));
    EXPECT_FALSE(std::isnan(slider.Knob()->GetTransform().GetPosX()));
}

TEST_F(Widgets, ASliderTakesItsTrackAndKnobWithIt) {
    factory.Update(0.0f);
    const uint32_t before = factory.GetPool().GetLiveCount();
    SD::GameObject* menu = Menu("W/Plain", {"W/Vol"});
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), before + 5);  // menu, slider, track, knob, focus frame
    factory.DestroyGameObject(menu);
    factory.Update(0.0f);
    factory.Update(0.0f);
    EXPECT_EQ(factory.GetPool().GetLiveCount(), before);
}

// A slider is only ever read: writing one is reported and writes nothing, and the slider and
// its parts carry on.
TEST_F(Widgets, WritingASliderIsRefusedWithoutThrowing) {
    SD::GameObject* menu = Menu("W/Plain", {"W/Vol"});
    ASSERT_NE(menu, nullptr);
    QV::Slider& slider = SliderOf(menu);
    SD::SuperialDataMap map;
    SD::SuperialOutStream out(map.Top());
    qvtest::StderrCapture errors;
    EXPECT_NO_THROW(slider.VSerialize(out, 0));
    EXPECT_NE(errors.Text().find("Slider Serialization not yet implemented."), std::string::npos);
    EXPECT_EQ(SD::SuperialDataMap::WriteToString(map).find("Min Range"), std::string::npos);
    EXPECT_NE(slider.Knob(), nullptr);
}

TEST_F(Widgets, LeftAndRightMoveTheFocusExceptOnASlider) {
    SD::GameObject* menu = Menu("W/Sides", {"W/B0", "W/Vol", "W/B1"});
    ASSERT_NE(menu, nullptr);
    Tap({SD::key_RIGHT});
    EXPECT_EQ(Front().CurrentIndex(), 1);
    auto* slider = static_cast<QV::Slider*>(Children(menu)[1]->GetComponent(SD::CID_Slider));
    Tap({SD::key_LEFT});
    EXPECT_EQ(Front().CurrentIndex(), 1);
    EXPECT_NEAR(slider->GetValue(), 0.9f, 1e-5);
    Tap({SD::key_DOWN});
    Tap({SD::key_LEFT});
    EXPECT_EQ(Front().CurrentIndex(), 1);
}

TEST_F(Widgets, AResolutionMenuDropsTheModesTheDisplayDoesNotOffer) {
    graphics->SetDisplayModes({{1280, 800}, {1920, 1080}});
    ASSERT_NE(Menu("W/Modes", {"Hud/Res_640x480", "W/B0", "Hud/Res_1280x800", "Hud/Res_640x480"}), nullptr);
    std::vector<std::string> left;
    for (SD::Component* item : Front().Items()) left.push_back(item->GetOwner()->GetBlueprintName());
    EXPECT_EQ(left, (std::vector<std::string>{"W/B0", "Hud/Res_1280x800"}));
    Tap({SD::key_DOWN});
    Tap({SD::key_DOWN});
    EXPECT_EQ(Front().CurrentIndex(), 1);
}

TEST_F(Widgets, OnlyTheLatestCollectorTakesInputUntilItGoes) {
    SD::GameObject* first = Menu("W/Plain", {"W/B0", "W/B1"});
    ASSERT_NE(first, nullptr);
    QV::HudCollector* under = hud.FrontCollector();
    tree.Write("Assets/HudFiles/Over.hud", "W/Plain\nW/B2 0 0 0\nW/B2 0 0 0\n");
    SD::GameObject* over = OpenHud("Over");
    ASSERT_NE(over, nullptr);
    Frame();
    Tap({SD::key_DOWN});
    EXPECT_EQ(under->CurrentIndex(), 0);
    EXPECT_EQ(hud.FrontCollector()->CurrentIndex(), 1);
    factory.DestroyGameObject(over);
    Frame();
    Tap({SD::key_DOWN});
    EXPECT_EQ(hud.FrontCollector(), under);
    EXPECT_EQ(under->CurrentIndex(), 1);
}

// The frame lies about the focused widget, a little larger and drawn over it, whatever kind of
// widget it is; it follows the focus and goes with its menu.
TEST_F(Widgets, TheFocusFrameLiesAboutTheFocusedWidgetAndFollowsTheFocus) {
    tree.Write("Assets/HudFiles/Focus.hud", "W/Plain\nW/B0 0.5 0.3 0\nW/Box 0.5 0.5 0\nW/Vol 0.5 0.7 0\n");
    SD::GameObject* menu = OpenHud("Focus");
    ASSERT_NE(menu, nullptr);
    Frame();
    for (int focus = 0; focus < 3; ++focus) {
        SCOPED_TRACE(focus);
        SD::GameObject* framed = Front().Items()[focus]->GetOwner();
        SD::GameObject* frame = Front().FocusFrame();
        EXPECT_EQ(hudtest::TextureOf(frame), "FocusFrame");
        EXPECT_EQ(frame->GetParent(), menu);
        const SD::Vec3 at = framed->GetTransform().GetPos();
        EXPECT_EQ(frame->GetTransform().GetPos().x, at.x);
        EXPECT_EQ(frame->GetTransform().GetPos().y, at.y);
        EXPECT_GT(frame->GetTransform().GetPos().z, at.z) << "drawn over the widget";
        // The margin in reference pixels on each side, as a share of the reference screen.
        const float margin = 2.0f * QV::HudCollector::kFrameMargin;
        EXPECT_FLOAT_EQ(frame->GetTransform().GetScale().x,
                        framed->GetTransform().GetScale().x + margin / Aperture::UISprite::kReferenceWidth);
        EXPECT_FLOAT_EQ(frame->GetTransform().GetScale().y,
                        framed->GetTransform().GetScale().y + margin / Aperture::UISprite::kReferenceHeight);
        Tap({SD::key_DOWN});
    }
    const SD::GameObjectHandle frame = Front().FocusFrame()->GetHandle();
    factory.DestroyGameObject(menu);
    factory.Update(0.0f);
    EXPECT_EQ(frame.get(), nullptr) << "the frame goes with its menu";
}

}  // namespace
