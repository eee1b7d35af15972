#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "GfxTestSupport.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/Executor.h"
#include "platform/gfx/Font.h"

namespace {

using namespace platform::gfx;

// Writes down every call it receives, with what the device showed it at that moment.
struct RecordingExecutor : Executor {
    std::vector<std::string> calls;
    void Draw(const Device& device, const Command& draw) override {
        const ActivePass& pass = device.ActiveEffectPass();
        calls.push_back(std::string("draw ") + OpName(draw.op) + " pass " + std::to_string(pass.technique) + "/" +
                        std::to_string(pass.pass) + (pass.effect ? "" : " without effect") + " stride " +
                        std::to_string(device.StreamStride(0)));
    }
    void Clear(const Device&, uint32_t flags, uint32_t argb, float, uint32_t) override {
        calls.push_back("clear " + std::to_string(flags) + " " + std::to_string(argb));
    }
    void StretchRect(const Device&, const Surface& source, const Surface&, const Rect& r) override {
        calls.push_back("stretch " + std::to_string(source.Width()) + " to " + std::to_string(r.right));
    }
    void Text(const Device&, const Font& font, const Command& text) override {
        calls.push_back("text " + text.name + " " + std::to_string(font.LineHeight()));
    }
    void Present(const Device&) override { calls.push_back("present"); }
    void Reset(const Device& device) override {
        calls.push_back("reset " + std::to_string(device.BackBuffer()->Width()));
    }
    void ObjectDestroyed(const DeviceObject& object) override {
        if (&object == watched) calls.push_back("destroyed");
    }
    void EffectCreated(const Effect& effect) override { calls.push_back("effect " + effect.Name()); }
    void EffectDestroyed(const Effect&) override { calls.push_back("effect gone"); }
    const DeviceObject* watched = nullptr;
};

struct GfxExecutor : ::testing::Test, gfxtest::DeviceFixture {
    RecordingExecutor executor;
    void SetUp() override { SetExecutor(&executor); }
    void TearDown() override { SetExecutor(nullptr); }
};

TEST(GfxObjectVersions, EveryWriteThroughAnObjectChangesItsVersion) {
    gfxtest::DeviceFixture f;
    Texture* texture = nullptr;
    ASSERT_EQ(f.device->CreateTexture(4, 4, 2, 0, kFormatA8R8G8B8, Pool::kManaged, &texture), kOk);
    VolumeTexture* volume = nullptr;
    ASSERT_EQ(f.device->CreateVolumeTexture(2, 2, 2, kFormatA8R8G8B8, Pool::kManaged, &volume), kOk);
    VertexBuffer* buffer = nullptr;
    ASSERT_EQ(f.device->CreateVertexBuffer(16, Pool::kManaged, &buffer), kOk);
    Surface* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &level), kOk);

    LockedRect rect;
    LockedBox box;
    void* bytes = nullptr;
    struct Case {
        const char* write;
        const DeviceObject* object;
        std::function<void()> call;
        bool changes;
    };
    const Case cases[] = {
        {"texture level locked", texture, [&] { texture->LockRect(0, rect); }, false},
        {"texture level unlocked", texture, [&] { texture->UnlockRect(0); }, true},
        {"level surface unlocked, seen by its texture", texture,
         [&] {
             level->LockRect(rect);
             level->UnlockRect();
         },
         true},
        {"level surface unlocked", level,
         [&] {
             level->LockRect(rect);
             level->UnlockRect();
         },
         true},
        {"pixel written", level,
         [&] {
             level->WritePixel(0, 0, {1, 0, 0, 1});
         },
         true},
        {"level filled", level, [&] { level->Fill(0xFF00FF00u); }, true},
        {"failed unlock", level, [&] { level->UnlockRect(); }, false},
        {"volume unlocked", volume,
         [&] {
             volume->LockBox(0, box);
             volume->UnlockBox(0);
         },
         true},
        {"buffer locked", buffer, [&] { buffer->Lock(0, 0, &bytes); }, false},
        {"buffer unlocked", buffer, [&] { buffer->Unlock(); }, true},
    };
    for (const Case& c : cases) {
        const uint64_t before = c.object->Version();
        c.call();
        EXPECT_EQ(c.object->Version() != before, c.changes) << c.write;
    }
    level->Release();
    buffer->Release();
    volume->Release();
    texture->Release();
}

TEST_F(GfxExecutor, HearsTheLiveCallsThatPassTheDevicesChecks) {
    EffectPool* pool = EffectPool::Create();
    Effect* effect = nullptr;
    std::string errors;
    ASSERT_EQ(
        CreateEffect(device.get(), "technique A\npass a\ntechnique B\npass b0\npass b1\n", pool, &effect, &errors),
        kOk);
    VertexDeclaration* declaration = nullptr;
    VertexBuffer* vertices = nullptr;
    Texture* target = nullptr;
    Surface* targetSurface = nullptr;
    Surface* backBuffer = nullptr;
    Font* font = nullptr;
    ASSERT_EQ(device->CreateVertexDeclaration({{0, 0, 2, 0, 0, 0}}, &declaration), kOk);
    ASSERT_EQ(device->CreateVertexBuffer(48, Pool::kManaged, &vertices), kOk);
    ASSERT_EQ(device->CreateTexture(8, 8, 1, kUsageRenderTarget, kFormatA8R8G8B8, Pool::kDefault, &target), kOk);
    ASSERT_EQ(target->GetSurfaceLevel(0, &targetSurface), kOk);
    ASSERT_EQ(device->GetBackBuffer(&backBuffer), kOk);
    ASSERT_EQ(CreateFont(device.get(), 10, 0, 400, "Mono", &font), kOk);
    executor.watched = target;

    device->BackBuffer()->Fill(0xFF0000FFu);
    EXPECT_EQ(device->DrawPrimitive(kTriangleList, 0, 1), kInvalidCall);  // outside a scene: not passed on
    ASSERT_EQ(device->BeginScene(), kOk);
    ASSERT_EQ(device->Clear(kClearTarget, 0xFFFF0000u, 1.0f, 0), kOk);
    EXPECT_EQ(device->BackBuffer()->ReadPixel(0, 0).b, 1.0f) << "the executor owns the target's contents";
    ASSERT_EQ(device->SetVertexDeclaration(declaration), kOk);
    ASSERT_EQ(device->SetStreamSource(0, vertices, 0, 12), kOk);
    ASSERT_EQ(device->DrawPrimitive(kTriangleList, 0, 1), kOk);
    ASSERT_EQ(effect->SetTechnique("B"), kOk);
    ASSERT_EQ(effect->Begin(nullptr), kOk);
    ASSERT_EQ(effect->BeginPass(1), kOk);
    ASSERT_EQ(device->DrawPrimitive(kTriangleList, 0, 1), kOk);
    ASSERT_EQ(effect->EndPass(), kOk);
    ASSERT_EQ(effect->End(), kOk);
    ASSERT_EQ(device->StretchRect(backBuffer, targetSurface, nullptr), kOk);
    Rect where{1, 2, 0, 0};
    EXPECT_EQ(font->DrawText("hi", -1, &where, kTextTopLeft, 0xFFFFFFFFu), 10);
    EXPECT_EQ(font->DrawText("size", -1, &where, kTextCalcRect, 0xFFFFFFFFu), 10);  // measures only
    EXPECT_EQ(device->Present(), kInvalidCall);                                     // inside a scene: not passed on
    ASSERT_EQ(device->EndScene(), kOk);
    ASSERT_EQ(device->Present(), kOk);
    device->LoseDevice();
    ASSERT_EQ(device->BeginScene(), kOk);
    ASSERT_EQ(device->DrawPrimitive(kTriangleList, 0, 1), kOk);  // lost: not passed on
    ASSERT_EQ(device->EndScene(), kOk);
    EXPECT_EQ(device->Present(), kDeviceLost);

    backBuffer->Release();
    targetSurface->Release();
    target->Release();
    font->Release();
    ASSERT_EQ(device->Reset(gfxtest::Parameters(&window, 32, 16)), kOk);
    effect->Release();
    pool->Release();
    vertices->Release();
    declaration->Release();
    const std::vector<std::string> expected = {
        "effect ",
        "clear 1 4294901760",
        "draw DrawPrimitive pass 0/0 without effect stride 12",
        "draw DrawPrimitive pass 1/1 stride 12",
        "stretch 64 to 8",
        "text hi 10",
        "present",
        "destroyed",
        "reset 32",
        "effect gone",
    };
    EXPECT_EQ(executor.calls, expected);
}

TEST_F(GfxExecutor, EffectsReadFromFilesGoByTheirPath) {
    const std::string path = ::testing::TempDir() + "/named.fx";
    {
        FILE* file = std::fopen(path.c_str(), "w");
        ASSERT_TRUE(file);
        std::fputs("technique T\npass p\n", file);
        std::fclose(file);
    }
    Effect* effect = nullptr;
    ASSERT_EQ(CreateEffectFromFile(device.get(), path, nullptr, &effect, nullptr), kOk);
    EXPECT_EQ(effect->Name(), path);
    ASSERT_FALSE(executor.calls.empty());
    EXPECT_EQ(executor.calls[0], "effect " + path);
    effect->Release();
    std::remove(path.c_str());
}

// An effect file's includes come from its own folder; one that cannot be read refuses the effect.
TEST_F(GfxExecutor, EffectFilesIncludeFilesOfTheirFolder) {
    const std::string folder = ::testing::TempDir() + "/effect_includes";
    std::filesystem::create_directories(folder);
    auto write = [&](const std::string& name, const char* text) {
        std::ofstream(folder + "/" + name, std::ios::binary) << text;
    };
    write("shared.glsl", "float Shared() { return 2.0; }\n");
    write("uses.fx", "glsl\ninclude shared.glsl\nend\ntechnique T\npass p\n");
    write("missing.fx", "include gone.glsl\ntechnique T\npass p\n");
    Effect* effect = nullptr;
    std::string errors;
    ASSERT_EQ(CreateEffectFromFile(device.get(), folder + "/uses.fx", nullptr, &effect, &errors), kOk) << errors;
    EXPECT_EQ(effect->Description().glsl, "float Shared() { return 2.0; }\n");
    effect->Release();
    effect = nullptr;
    EXPECT_EQ(CreateEffectFromFile(device.get(), folder + "/missing.fx", nullptr, &effect, &errors), kInvalidCall);
    EXPECT_EQ(errors, "line 1: cannot read include 'gone.glsl'");
    EXPECT_EQ(effect, nullptr);
}

}  // namespace
