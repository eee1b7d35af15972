#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "core/RTTI.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/ComponentTextSupport.h"
#include "engine/LuaTestSupport.h"
#include "engine/SuperialDataMap.h"
#include "engine/SuperialInStream.h"
#include "engine/SuperialOutStream.h"
#include "engine/SuperialValue.h"
#include "graphics/GraphicsStartup.h"
#include "graphics/components/Sprite.h"
#include "graphics/components/Text.h"
#include "runtime/Registration.h"
#include "tests/platform/GfxDeviceProbe.h"
#include "tests/graphics/DebugTextProbe.h"

namespace {

using DeviceProbe = platform::TestProbe<platform::gfx::Device>;

using Aperture::DebugTextQueue;
using Aperture::Graphics_;
using Aperture::Text;
using Aperture::UISprite;
using platform::gfx::Command;
using platform::gfx::Op;

std::vector<Command> Texts(const std::vector<Command>& frame) {
    std::vector<Command> texts;
    for (const Command& c : frame)
        if (c.op == Op::kDrawText) texts.push_back(c);
    return texts;
}

TEST(ScreenComponents, UISpriteRecordsReadBackAndOlderOnesKeepTheFlagsOff) {
    UISprite source;
    source.SetTexture("logo");
    source.SetOpacity(0.5f);
    source.SetAnchor({1.0f, 0.25f});
    source.SetConvertPixelPosition(true);
    const std::string xml = enginetest::WriteComponentText(source, "UISprite");
    auto copy = enginetest::ReadComponentText<UISprite>(xml, "UISprite");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetTexture(), "logo");
    EXPECT_EQ(copy->GetOpacity(), 0.5f);
    EXPECT_EQ(copy->GetAnchor().x, 1.0f);
    EXPECT_EQ(copy->GetAnchor().y, 0.25f);
    EXPECT_TRUE(copy->GetConvertPixelPosition());
    EXPECT_FALSE(copy->GetConvertPixelScale());

    const std::string older =
        "<?xml version=\"1.0\" ?>\n<Components >\n<UISprite version=\"0\" >\n"
        "<String name=\"Texture\" >logo</String>\n<Float name=\"Opacity\" value=\"0.75\" />\n"
        "<Vector2 name=\"Anchor Point\" >\n<Float value=\"1\" />\n<Float value=\"0\" />\n</Vector2>\n"
        "</UISprite>\n</Components>\n";
    auto old = enginetest::ReadComponentText<UISprite>(older, "UISprite");
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->GetTexture(), "logo");
    EXPECT_EQ(old->GetOpacity(), 0.75f);
    EXPECT_FALSE(old->GetConvertPixelPosition());
    EXPECT_FALSE(old->GetConvertPixelScale());
}

TEST(ScreenComponents, UISpriteConvertsReferencePixelsOnce) {
    SD::GameObject owner;
    owner.GetTransform().SetPos({960, 600, 5});
    owner.GetTransform().SetScale({1920, 1200, 7});
    UISprite sprite;
    sprite.SetOwner(&owner);
    sprite.SetConvertPixelPosition(true);
    sprite.SetConvertPixelScale(true);
    sprite.VInitialize(false);
    EXPECT_EQ(owner.GetTransform().GetLocalPos(), SD::Vec3(0.5f, 0.5f, 5));
    EXPECT_EQ(owner.GetTransform().GetScale(), SD::Vec3(1, 1, 1));
    // A second initialise converts nothing, and a save keeps the converted values.
    sprite.VInitialize(false);
    EXPECT_EQ(owner.GetTransform().GetLocalPos(), SD::Vec3(0.5f, 0.5f, 5));
    EXPECT_EQ(enginetest::WriteComponentText(sprite, "UISprite").find("\"Convert Pixel Position\" >1"),
              std::string::npos);
}

TEST(ScreenComponents, TextRecordsAndDrawing) {
    gfxtest::GraphicsFixture f("no_post_process=true\n");
    Text source;
    source.SetFont("Consolas", 8, 14);
    source.SetColor(255, 128, 0, 255);
    auto copy = enginetest::ReadComponentText<Text>(enginetest::WriteComponentText(source, "Text"), "Text");
    ASSERT_NE(copy, nullptr);
    SD::GameObject owner;
    owner.GetTransform().SetPos({10.9f, 20.2f, 0});
    copy->SetOwner(&owner);
    copy->SetText("score");
    copy->VInitialize(false);
    ASSERT_NE(copy->GetFontResource(), nullptr);
    copy->VRegister();
    f.graphics->Update(0.016f);
    copy->VUnregister();
    const auto texts = Texts(f.Frame());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].name, "score");
    EXPECT_EQ(texts[0].a[0], 10u);  // truncated, not rounded
    EXPECT_EQ(texts[0].a[1], 20u);
    EXPECT_EQ(texts[0].a[4], 0xFFFF8000u);
    EXPECT_EQ(Text::PackColor(0x1FF, 0, 0, 0x100), 0x00FF0000u);  // the low byte of each channel

    // A text whose font cannot be had is skipped, and says so once.
    Text lost;
    lost.SetOwner(&owner);
    lost.SetText("lost");
    lost.VInitialize(false);
    EXPECT_EQ(lost.GetFontResource(), nullptr);
    lost.VRegister();
    f.graphics->Update(0.016f);
    f.graphics->Update(0.016f);
    lost.VUnregister();
    EXPECT_TRUE(Texts(f.Frame()).empty());
    const std::string log = f.logger.Buffer();
    const auto first = log.find("Text \"lost\"");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("Text \"lost\"", first + 1), std::string::npos);
}

TEST(DebugText, QueuedLinesDrawOnceInTheirFontAfterTheCopy) {
    gfxtest::GraphicsFixture f("no_post_process=true\n");
    f.graphics->DrawDebugText(5, 6, "speed %d", 42);
    DebugTextProbe::CurrentLine(f.graphics->GetDebugText()).fontName = "Courier";
    DebugTextProbe::CurrentLine(f.graphics->GetDebugText()).color = 0xFF00FF00u;
    f.graphics->DrawDebugString(7, 8, nullptr);
    f.graphics->ResetDebugFont();
    f.graphics->DrawDebugText(1, 2, "%s", std::string(2000, 'x').c_str());
    ASSERT_EQ(f.graphics->GetDebugText().Lines().size(), 3u);
    EXPECT_EQ(f.graphics->GetDebugText().Lines()[1].fontName, "Courier");  // queued before the reset
    EXPECT_EQ(f.graphics->GetDebugText().Lines()[1].color, 0xFF00FF00u);
    EXPECT_EQ(f.graphics->GetDebugText().Lines()[2].text.size(), DebugTextQueue::kBuffer - 1);
    f.graphics->Update(0.016f);
    EXPECT_TRUE(f.graphics->GetDebugText().Lines().empty());
    EXPECT_EQ(DebugTextProbe::FontCount(f.graphics->GetDebugText()), 2u);  // the first and last lines share Consolas
    const auto& frame = f.Frame();
    // An empty line draws nothing.
    const auto texts = Texts(frame);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].name, "speed 42");
    EXPECT_EQ(texts[0].a[0], 5u);
    EXPECT_EQ(texts[0].a[4], 0xFFFFFFFFu);
    EXPECT_EQ(texts[1].name.size(), DebugTextQueue::kBuffer - 1);
    // The texts lie over the final copy.
    size_t copy = 0, text = 0;
    for (size_t i = 0; i < frame.size(); ++i) {
        if (frame[i].op == Op::kStretchRect) copy = i;
        if (frame[i].op == Op::kDrawText && !text) text = i;
    }
    EXPECT_LT(copy, text);
    f.graphics->Update(0.016f);
    EXPECT_TRUE(Texts(f.Frame()).empty());
}

TEST(GraphicsScript, ScriptsReadAndSetTheSwitchesAndPrintText) {
    gfxtest::GraphicsFixture f("render_bloom=true\nrender_shadows=true\n");
    SD::Registrations registrations;
    Aperture::InstallGraphics(registrations);
    SD::ComponentManager_ components;
    SD::Factory_ factory(16);
    registrations.RegisterComponents(factory);
    const struct {
        const char* name;
        SD::ComponentID id;
    } names[] = {{"Sprite", SD::CID_Sprite}, {"UISprite", SD::CID_UISprite}, {"Text", SD::CID_Text}};
    for (const auto& n : names) {
        SD::ComponentID id;
        ASSERT_TRUE(factory.FindComponentID(n.name, &id)) << n.name;
        EXPECT_EQ(id, n.id) << n.name;
    }
    {
        luatest::LuaHost lua;
        const uint32_t resets = DeviceProbe::ResetCount(f.Device());
        ASSERT_TRUE(
            lua.Run("local g = Graphics_.GetInstance()\n"
                    "bloom = tostring(g:GetRenderBloom())\n"
                    "g:SetRenderBloom(false)\n"
                    "g:SetRenderShadows(0)\n"
                    "g:SetRenderDOF(nil)\n"
                    "g:SetVsync(false)\n"
                    "g:SetWaterQuality(1)\n"
                    "after = tostring(g:GetRenderBloom())\n"
                    "dof = tostring(g:GetRenderDOF())\n"
                    "PrintText(10.6, '20', 'hello')\n"
                    "PrintText(1, 2, 3.5)\n"
                    "PrintText(1, 2, {})\n"));
        EXPECT_EQ(lua.Text("bloom"), "true");
        EXPECT_EQ(lua.Text("after"), "false");
        EXPECT_EQ(lua.Text("dof"), "false");
        EXPECT_TRUE(f.graphics->GetRenderShadows());  // 0 is true to scripts
        EXPECT_FALSE(f.graphics->GetRenderBloom());
        EXPECT_EQ(f.graphics->GetWaterQuality(), 1);
        EXPECT_EQ(DeviceProbe::ResetCount(f.Device()), resets);  // an unchanged vsync does not reset
        const auto& queue = f.graphics->GetDebugText().Lines();
        ASSERT_EQ(queue.size(), 3u);
        EXPECT_EQ(queue[0].x, 11);
        EXPECT_EQ(queue[0].y, 20);
        EXPECT_EQ(queue[0].text, "hello");
        EXPECT_EQ(queue[1].text, "3.5");
        EXPECT_EQ(queue[2].text, "");
        const std::string printed =
            lua.RunPrinted("none = Graphics_.GetRenderBloom(5)\nisnil = tostring(none == nil)\n");
        EXPECT_NE(printed.find("Attempting to call 'Graphics_::GetRenderBloom' with this pointer being NULL.\n"),
                  std::string::npos);
        EXPECT_EQ(lua.Text("isnil"), "true");
    }
    factory.Shutdown();
    RTTIClassRegistry::Destroy();
}

}  // namespace
