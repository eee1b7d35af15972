#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "GfxTestSupport.h"
#include "tests/platform/GfxDeviceProbe.h"

namespace {

using DeviceProbe = platform::TestProbe<platform::gfx::Device>;
using DriverProbe = platform::TestProbe<platform::gfx::Driver>;
using SurfaceProbe = platform::TestProbe<platform::gfx::Surface>;

using namespace platform::gfx;

struct GfxDevice : ::testing::Test, gfxtest::DeviceFixture {
    VertexDeclaration* declaration = nullptr;
    VertexBuffer* vertices = nullptr;
    void SetUp() override {
        ASSERT_TRUE(device);
        ASSERT_EQ(device->CreateVertexDeclaration({{0, 0, 2, 0, 0, 0}}, &declaration), kOk);
        ASSERT_EQ(device->CreateVertexBuffer(4 * 16, Pool::kManaged, &vertices), kOk);
    }
    void TearDown() override {
        device->SetVertexDeclaration(nullptr);
        device->SetStreamSource(0, nullptr, 0, 0);
        vertices->Release();
        declaration->Release();
    }
    void BindTriangleInput() {
        device->SetVertexDeclaration(declaration);
        device->SetStreamSource(0, vertices, 0, 16);
    }
    // A new render-target texture's level, bound as target 0; the caller releases both.
    Surface* BindNewTarget(uint32_t width, uint32_t height, uint32_t format, Texture** texture) {
        Surface* level = nullptr;
        EXPECT_EQ(device->CreateTexture(width, height, 1, kUsageRenderTarget, format, Pool::kDefault, texture), kOk);
        if (!*texture) return nullptr;
        (*texture)->GetSurfaceLevel(0, &level);
        EXPECT_EQ(device->SetRenderTarget(0, level), kOk);
        return level;
    }
    // A reset while the caller still holds `held`, which is released after.
    Result ResetHolding(DeviceObject* held) {
        const Result r = device->Reset(device->GetPresentParameters());
        held->Release();
        return r;
    }
    // A case's call that sets `viewport`.
    static std::function<Result(GfxDevice&)> SettingViewport(Viewport viewport) {
        return [viewport](GfxDevice& f) { return f.device->SetViewport(viewport); };
    }
};

TEST_F(GfxDevice, BrokenRulesFailAndChangeNothing) {
    struct Case {
        const char* rule;
        std::function<Result(GfxDevice&)> call;
    };
    const Case cases[] = {
        {"nested BeginScene",
         [](GfxDevice& f) {
             f.device->BeginScene();
             return f.device->BeginScene();
         }},
        {"EndScene outside a scene", [](GfxDevice& f) { return f.device->EndScene(); }},
        {"Present inside a scene",
         [](GfxDevice& f) {
             f.device->BeginScene();
             return f.device->Present();
         }},
        {"draw with no declaration",
         [](GfxDevice& f) {
             f.device->BeginScene();
             f.device->SetStreamSource(0, f.vertices, 0, 16);
             return f.device->DrawPrimitive(kTriangleList, 0, 1);
         }},
        {"draw with a declared stream unbound",
         [](GfxDevice& f) {
             f.device->BeginScene();
             f.device->SetStreamSource(0, nullptr, 0, 0);
             f.device->SetVertexDeclaration(f.declaration);
             return f.device->DrawPrimitive(kTriangleList, 0, 1);
         }},
        {"draw outside a scene",
         [](GfxDevice& f) {
             f.BindTriangleInput();
             return f.device->DrawPrimitive(kTriangleList, 0, 1);
         }},
        {"indexed draw past the index buffer",
         [](GfxDevice& f) {
             IndexBuffer* ib = nullptr;
             f.device->CreateIndexBuffer(6, kFormatIndex16, Pool::kManaged, &ib);
             f.device->SetIndices(ib);
             ib->Release();
             f.device->BeginScene();
             f.BindTriangleInput();
             return f.device->DrawIndexedPrimitive(kTriangleList, 0, 0, 4, 0, 2);
         }},
        {"reset with a default-pool texture held",
         [](GfxDevice& f) {
             Texture* t = nullptr;
             f.device->CreateTexture(8, 8, 1, kUsageRenderTarget, kFormatA8R8G8B8, Pool::kDefault, &t);
             return f.ResetHolding(t);
         }},
        {"reset with the back buffer held",
         [](GfxDevice& f) {
             Surface* back = nullptr;
             f.device->GetBackBuffer(&back);
             return f.ResetHolding(back);
         }},
        {"render target in the managed pool",
         [](GfxDevice& f) {
             Texture* t = nullptr;
             return f.device->CreateTexture(8, 8, 1, kUsageRenderTarget, kFormatA8R8G8B8, Pool::kManaged, &t);
         }},
        {"unbinding target 0", [](GfxDevice& f) { return f.device->SetRenderTarget(0, nullptr); }},
        {"reset with a depth surface of its own held",
         [](GfxDevice& f) {
             Surface* depth = nullptr;
             f.device->CreateDepthStencilSurface(16, 16, kFormatD24S8, &depth);
             return f.ResetHolding(depth);
         }},
        {"depth surface of a colour format",
         [](GfxDevice& f) {
             Surface* depth = nullptr;
             return f.device->CreateDepthStencilSurface(16, 16, kFormatA8R8G8B8, &depth);
         }},
        {"depth surface of no size",
         [](GfxDevice& f) {
             Surface* depth = nullptr;
             return f.device->CreateDepthStencilSurface(0, 16, kFormatD24S8, &depth);
         }},
        {"colour surface bound as the depth surface",
         [](GfxDevice& f) { return f.device->SetDepthStencilSurface(f.device->BackBuffer()); }},
        {"depth clear with no depth surface bound",
         [](GfxDevice& f) {
             Surface* own = nullptr;
             f.device->GetDepthStencilSurface(&own);
             f.device->SetDepthStencilSurface(nullptr);
             Result r = f.device->Clear(kClearZBuffer, 0, 1.0f, 0);
             f.device->SetDepthStencilSurface(own);
             own->Release();
             return r;
         }},
        {"viewport past the target's right edge", SettingViewport({32, 0, 33, 32})},
        {"viewport past the target's bottom edge", SettingViewport({0, 31, 8, 2})},
        {"viewport of no width", SettingViewport({0, 0, 0, 32})},
        {"viewport starting outside the target", SettingViewport({64, 0, 1, 1})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        size_t before = device->CurrentFrame().size();
        EXPECT_EQ(c.call(*this), kInvalidCall);
        EXPECT_EQ(DeviceProbe::ResetCount(*device), 0u);
        for (size_t i = before; i < device->CurrentFrame().size(); ++i)
            EXPECT_FALSE(device->CurrentFrame()[i].IsDraw());
        if (DeviceProbe::InScene(*device)) device->EndScene();
    }
}

TEST_F(GfxDevice, LocksStayInsideTheBuffer) {
    struct Case {
        uint32_t offset, size;
        Result result;
    };
    const Case cases[] = {{0, 0, kOk},
                          {0, 64, kOk},
                          {60, 4, kOk},
                          {64, 0, kOk},
                          {60, 5, kInvalidCall},
                          {65, 0, kInvalidCall},
                          {1, 0xFFFFFFFFu, kInvalidCall}};
    for (const Case& c : cases) {
        void* data = nullptr;
        EXPECT_EQ(vertices->Lock(c.offset, c.size, &data), c.result) << c.offset << "+" << c.size;
        if (c.result == kOk) {
            EXPECT_EQ(vertices->Lock(0, 0, &data), kInvalidCall) << "locked twice";
            EXPECT_EQ(vertices->Unlock(), kOk);
        }
    }
    EXPECT_EQ(vertices->Unlock(), kInvalidCall);
    Texture* t = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, kFormatA8R8G8B8, Pool::kManaged, &t), kOk);
    EXPECT_EQ(t->LevelCount(), 3u);
    LockedRect rect;
    EXPECT_EQ(t->LockRect(3, rect), kInvalidCall);
    t->Release();
}

TEST_F(GfxDevice, RecordsTheFrameAndCountsItsDraws) {
    device->BeginScene();
    BindTriangleInput();
    device->SetRenderState(kRsClipPlaneEnable, 1);
    EXPECT_EQ(device->DrawPrimitive(kTriangleList, 0, 1), kOk);
    EXPECT_EQ(device->DrawPrimitive(kTriangleStrip, 0, 2), kOk);
    device->EndScene();
    EXPECT_TRUE(device->LastFrame().empty());
    ASSERT_EQ(device->Present(), kOk);
    EXPECT_TRUE(device->CurrentFrame().empty());
    const auto& frame = device->LastFrame();
    ASSERT_EQ(frame.size(), 8u);
    EXPECT_EQ(frame.front().op, Op::kBeginScene);
    EXPECT_EQ(frame[3].op, Op::kSetRenderState);
    EXPECT_EQ(frame[3].a[1], 1u);
    EXPECT_EQ(frame.back().op, Op::kPresent);
    EXPECT_EQ(device->LastFrameDrawCalls(), 2u);
    EXPECT_EQ(device->GetRenderState(kRsClipPlaneEnable), 1u);
}

TEST_F(GfxDevice, ClearsWriteTheTargetsPixels) {
    device->Clear(kClearTarget | kClearZBuffer, 0xFFFF7F00u, 0.5f, 0);
    auto px = device->BackBuffer()->ReadPixel(63, 31);
    EXPECT_FLOAT_EQ(px.r, 1.0f);
    EXPECT_FLOAT_EQ(px.g, 127.0f / 255.0f);
    EXPECT_FLOAT_EQ(px.b, 0.0f);
    EXPECT_NEAR(device->DepthStencil()->ReadPixel(0, 0).r, 0.5f, 1e-6);

    // A float target bound in its place takes the colour as floats; the back buffer keeps its own.
    Texture* target = nullptr;
    Surface* level = BindNewTarget(8, 4, kFormatA16B16G16R16F, &target);
    ASSERT_TRUE(level);
    device->Clear(kClearTarget, 0x80FF0000u, 1.0f, 0);
    auto f = level->ReadPixel(7, 3);
    EXPECT_FLOAT_EQ(f.r, 1.0f);
    EXPECT_FLOAT_EQ(f.g, 0.0f);
    EXPECT_NEAR(f.a, 128.0f / 255.0f, 1e-3);
    EXPECT_FLOAT_EQ(device->BackBuffer()->ReadPixel(0, 0).g, 127.0f / 255.0f);
    level->Release();
    // Released while still bound: the binding keeps it alive but does not block a reset.
    EXPECT_EQ(target->Release(), 0u);
    EXPECT_EQ(device->HeldDefaultPoolObjects(), 0u);
    EXPECT_EQ(device->Reset(device->GetPresentParameters()), kOk);
    EXPECT_EQ(device->BoundRenderTarget(0), device->BackBuffer());
}

// A clear waits until something reaches the pixels' memory; whatever comes first sees the
// cleared target, and a later clear or a copy over the whole target replaces the waiting one.
// Reading a pixel answers from the waiting clear.
TEST_F(GfxDevice, ClearsAreWrittenWhenThePixelsAreReached) {
    struct Case {
        const char* what;
        std::function<void(GfxDevice&, Surface& target)> reach;
        uint32_t x, y;
        float red;  // of the pixel read at (x, y) afterwards
        bool stillPending;
    };
    const Case cases[] = {
        {"nothing", [](GfxDevice&, Surface&) {}, 0, 0, 1.0f, true},
        {"a second clear replaces the first",
         [](GfxDevice& f, Surface&) { f.device->Clear(kClearTarget, 0xFF400000u, 1.0f, 0); }, 5, 3, 64.0f / 255, true},
        {"a lock sees the colour",
         [](GfxDevice&, Surface& t) {
             LockedRect locked;
             ASSERT_EQ(t.LockRect(locked), kOk);
             EXPECT_EQ(static_cast<const uint32_t*>(locked.bits)[17], 0xFFFF0000u);
             t.UnlockRect();
         },
         1, 1, 1.0f, false},
        {"a written pixel keeps the cleared ones around it",
         [](GfxDevice&, Surface& t) {
             t.WritePixel(2, 2, {0.0f, 1.0f, 0.0f, 1.0f});
         },
         3, 2, 1.0f, false},
        {"the bits read", [](GfxDevice&, Surface& t) { EXPECT_EQ(t.Bits()[2], 0xFF); }, 0, 0, 1.0f, false},
        {"a copy of one colour over part of it waits too, outside the part",
         [](GfxDevice& f, Surface& t) {
             const Rect corner{0, 0, 2, 2};
             f.device->StretchRect(f.device->BackBuffer(), &t, &corner);
         },
         7, 3, 1.0f, true},
        {"a copy of one colour over part of it waits too, inside the part",
         [](GfxDevice& f, Surface& t) {
             const Rect corner{0, 0, 2, 2};
             f.device->StretchRect(f.device->BackBuffer(), &t, &corner);
         },
         1, 1, 0.0f, true},
        {"a copy of drawn pixels over part of it keeps the rest",
         [](GfxDevice& f, Surface& t) {
             f.device->BackBuffer()->WritePixel(0, 0, {0.0f, 0.0f, 1.0f, 1.0f});
             const Rect corner{0, 0, 2, 2};
             f.device->StretchRect(f.device->BackBuffer(), &t, &corner);
         },
         7, 3, 1.0f, false},
        {"a copy over all of it from a cleared source waits as that colour",
         [](GfxDevice& f, Surface& t) { f.device->StretchRect(f.device->BackBuffer(), &t, nullptr); }, 7, 3, 0.0f,
         true},
        {"a copy over all of it from drawn pixels replaces the clear",
         [](GfxDevice& f, Surface& t) {
             f.device->BackBuffer()->WritePixel(0, 0, {0.0f, 0.0f, 1.0f, 1.0f});
             f.device->StretchRect(f.device->BackBuffer(), &t, nullptr);
         },
         7, 3, 0.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The back buffer, the copies' source, is black.
        device->Clear(kClearTarget, 0xFF000000u, 1.0f, 0);
        Texture* target = nullptr;
        Surface* level = BindNewTarget(8, 4, kFormatA8R8G8B8, &target);
        ASSERT_TRUE(level);
        const uint64_t version = level->Version();
        device->Clear(kClearTarget, 0xFFFF0000u, 1.0f, 0);
        EXPECT_GT(level->Version(), version);  // an uploader sees the change at once
        c.reach(*this, *level);
        EXPECT_EQ(SurfaceProbe::HasPendingFill(*level), c.stillPending);
        EXPECT_NEAR(level->ReadPixel(c.x, c.y).r, c.red, 1e-6);
        EXPECT_EQ(level->Bits()[4 * (c.y * 8 + c.x) + 2], static_cast<uint8_t>(std::lround(c.red * 255)));
        EXPECT_FALSE(SurfaceProbe::HasPendingFill(*level));
        device->SetRenderTarget(0, device->BackBuffer());
        level->Release();
        target->Release();
    }
    // A depth clear waits too, and the depth read back is the one cleared.
    device->Clear(kClearZBuffer, 0, 0.25f, 0);
    EXPECT_TRUE(SurfaceProbe::HasPendingFill(*device->DepthStencil()));
    EXPECT_NEAR(device->DepthStencil()->ReadPixel(3, 3).r, 0.25f, 1e-6);
    // A half-float target cleared and copied whole into the back buffer: the copy converts it.
    Texture* half = nullptr;
    Surface* level = BindNewTarget(4, 4, kFormatA16B16G16R16F, &half);
    ASSERT_TRUE(level);
    device->Clear(kClearTarget, 0xFF00FF00u, 1.0f, 0);
    ASSERT_EQ(device->StretchRect(level, device->BackBuffer(), nullptr), kOk);
    EXPECT_TRUE(SurfaceProbe::HasPendingFill(*device->BackBuffer()));
    EXPECT_FLOAT_EQ(device->BackBuffer()->ReadPixel(20, 9).g, 1.0f);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(device->BackBuffer()->Bits())[77], 0xFF00FF00u);
    device->SetRenderTarget(0, device->BackBuffer());
    level->Release();
    half->Release();
}

TEST_F(GfxDevice, StretchRectScalesAndConvertsFormats) {
    Texture* source = nullptr;
    ASSERT_EQ(device->CreateTexture(2, 2, 1, kUsageRenderTarget, kFormatA16B16G16R16F, Pool::kDefault, &source), kOk);
    Surface* level = nullptr;
    source->GetSurfaceLevel(0, &level);
    level->WritePixel(0, 0, {1.0f, 0.0f, 0.0f, 1.0f});
    level->WritePixel(1, 1, {0.0f, 0.5f, 1.0f, 1.0f});
    const Rect area{10, 4, 14, 8};
    ASSERT_EQ(device->StretchRect(level, device->BackBuffer(), &area), kOk);
    const Surface* back = device->BackBuffer();
    EXPECT_FLOAT_EQ(back->ReadPixel(11, 5).r, 1.0f) << "each source texel covers 2 x 2";
    EXPECT_FLOAT_EQ(back->ReadPixel(13, 7).b, 1.0f);
    EXPECT_NEAR(back->ReadPixel(12, 6).g, 0.5f, 1.0f / 255.0f);
    EXPECT_FLOAT_EQ(back->ReadPixel(9, 5).r, 0.0f) << "outside the rectangle";
    const Rect outside{60, 0, 70, 4};
    EXPECT_EQ(device->StretchRect(level, device->BackBuffer(), &outside), kInvalidCall);
    EXPECT_EQ(device->StretchRect(level, device->DepthStencil(), nullptr), kInvalidCall);
    level->Release();
    source->Release();
}

// A target wider than the back buffer draws in parts: each part a viewport of it, against a
// depth surface of its own size. Binding a target views all of it; a reset brings back the swap
// chain's depth surface and lets go of the other.
TEST_F(GfxDevice, ViewportsAndDepthSurfacesOfTheirOwnBindAndRecord) {
    EXPECT_EQ(device->GetViewport(), (Viewport{0, 0, 64, 32}));
    Surface* swapDepth = nullptr;
    ASSERT_EQ(device->GetDepthStencilSurface(&swapDepth), kOk);
    EXPECT_EQ(swapDepth, device->DepthStencil());
    swapDepth->Release();
    ASSERT_EQ(device->Clear(kClearZBuffer, 0, 1.0f, 0), kOk);

    Texture* atlas = nullptr;
    Surface* level = BindNewTarget(96, 32, kFormatR32F, &atlas);
    ASSERT_TRUE(level);
    Surface* depth = nullptr;
    ASSERT_EQ(device->CreateDepthStencilSurface(96, 32, kFormatD24S8, &depth), kOk);
    ASSERT_EQ(device->SetDepthStencilSurface(depth), kOk);
    EXPECT_EQ(device->GetViewport(), (Viewport{0, 0, 96, 32})) << "the new target, whole";
    ASSERT_EQ(device->SetViewport({64, 0, 32, 32}), kOk);
    EXPECT_EQ(device->SetViewport({65, 0, 32, 32}), kInvalidCall);
    EXPECT_EQ(device->GetViewport(), (Viewport{64, 0, 32, 32})) << "a refused viewport changes nothing";

    // A clear reaches the whole target and the bound depth surface, the swap chain's untouched.
    device->Clear(kClearTarget | kClearZBuffer, 0xFF806040u, 0.25f, 0);
    EXPECT_FLOAT_EQ(level->ReadPixel(0, 0).r, 128.0f / 255.0f) << "one float channel: red";
    EXPECT_FLOAT_EQ(level->ReadPixel(95, 31).r, 128.0f / 255.0f);
    EXPECT_NEAR(depth->ReadPixel(95, 31).r, 0.25f, 1e-6);
    EXPECT_NEAR(swapDepth->ReadPixel(0, 0).r, 1.0f, 1e-6) << "keeps its own clear";

    const std::vector<Command>& frame = device->CurrentFrame();
    auto last = [&](Op op) {
        for (size_t i = frame.size(); i-- > 0;)
            if (frame[i].op == op) return frame[i];
        return Command{};
    };
    const Command viewport = last(Op::kSetViewport), bound = last(Op::kSetDepthStencilSurface);
    EXPECT_EQ(std::vector<uint32_t>(viewport.a, viewport.a + 4), (std::vector<uint32_t>{64, 0, 32, 32}));
    EXPECT_EQ(std::vector<uint32_t>(bound.a, bound.a + 3), (std::vector<uint32_t>{96, 32, kFormatD24S8}));
    EXPECT_STREQ(OpName(Op::kSetDepthStencilSurface), "SetDepthStencilSurface");

    ASSERT_EQ(device->SetRenderTarget(0, device->BackBuffer()), kOk);
    EXPECT_EQ(device->GetViewport(), (Viewport{0, 0, 64, 32}));
    level->Release();
    atlas->Release();
    // Released while bound: kept alive by the binding, which a reset drops.
    EXPECT_EQ(depth->Release(), 0u);
    EXPECT_EQ(device->DepthStencil(), depth);
    ASSERT_EQ(device->Reset(device->GetPresentParameters()), kOk);
    EXPECT_NE(device->DepthStencil(), nullptr);
    EXPECT_EQ(device->DepthStencil()->Width(), 64u);
    EXPECT_EQ(device->Clear(kClearZBuffer, 0, 1.0f, 0), kOk);
}

TEST_F(GfxDevice, LostDeviceIsReportedUntilReset) {
    Texture* managed = nullptr;
    device->CreateTexture(4, 4, 1, 0, kFormatA8R8G8B8, Pool::kManaged, &managed);
    device->SetRenderState(kRsClipPlaneEnable, 1);
    device->LoseDevice(2);
    EXPECT_EQ(device->TestCooperativeLevel(), kDeviceLost);
    EXPECT_EQ(device->TestCooperativeLevel(), kDeviceLost);
    EXPECT_EQ(device->TestCooperativeLevel(), kDeviceNotReset);
    EXPECT_EQ(device->Present(), kDeviceLost);
    DeviceProbe::FailResets(*device, 1, kInvalidCall);
    EXPECT_EQ(device->Reset(device->GetPresentParameters()), kInvalidCall);
    EXPECT_EQ(device->TestCooperativeLevel(), kDeviceNotReset);
    PresentParameters bigger = device->GetPresentParameters();
    bigger.backBufferWidth = 128;
    ASSERT_EQ(device->Reset(bigger), kOk);
    EXPECT_EQ(device->TestCooperativeLevel(), kOk);
    EXPECT_EQ(device->BackBuffer()->Width(), 128u);
    EXPECT_EQ(device->GetRenderState(kRsClipPlaneEnable), 0u) << "states return to their defaults";
    EXPECT_EQ(managed->Width(), 4u) << "managed objects survive";
    managed->Release();
}

TEST(GfxDriver, CreationRefusesBadParametersAndCanBeMadeToFail) {
    platform::Window window("w", 0, 0, 10, 10);
    Driver driver;
    std::unique_ptr<Device> device;
    PresentParameters p = gfxtest::Parameters(&window, 10, 10);
    PresentParameters noWindow = p, noSize = p, floatBack = p;
    noWindow.deviceWindow = nullptr;
    noSize.backBufferHeight = 0;
    floatBack.backBufferFormat = kFormatR32F;  // four bytes, but no colour a window shows
    EXPECT_EQ(driver.CreateDevice(noWindow, device), kInvalidCall);
    EXPECT_EQ(driver.CreateDevice(noSize, device), kInvalidCall);
    EXPECT_EQ(driver.CreateDevice(floatBack, device), kInvalidCall);
    DriverProbe::FailNextCreate(driver);
    EXPECT_EQ(driver.CreateDevice(p, device), kNotFound);
    EXPECT_FALSE(device);
    EXPECT_EQ(driver.CreateDevice(p, device), kOk);
    EXPECT_TRUE(device);
}

}  // namespace
