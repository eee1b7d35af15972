// The graphics device carried out by OpenGL in a real window (run by tools/window-check.sh
// under a virtual X server with the software renderer): small scenes drawn with effect files
// written here, checked by reading the back buffer and the window back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "SessionSuite.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/Font.h"
#include "platform/sdl/SdlSession.h"
#include "platform/window/Window.h"
#include "support/TempTree.h"
#include "tests/display/SdlSessionProbe.h"

namespace {

using namespace platform::gfx;

constexpr int kSize = 64;

// Positions in clip space as the engine computes them (y up, z from 0 to 1); uv from the top-left.
const char* const kScene = R"(# test scene
param texture tex
param texture vol
param shared float4 tint
sampler tex point clamp
sampler vol point clamp
glsl
#ifdef QV_VERTEX
layout(location = QV_POSITION) in vec4 position;
layout(location = QV_TEXCOORD0) in vec4 uv;
layout(location = QV_TEXCOORD1) in vec4 offset;
out vec2 v_uv;
void vs_plain() { v_uv = uv.xy; gl_Position = qv_position(position); }
void vs_offset() { v_uv = uv.xy; gl_Position = qv_position(vec4(position.xy + offset.xy, position.zw)); }
#endif
#ifdef QV_FRAGMENT
in vec2 v_uv;
uniform sampler2D tex;
uniform sampler2DArray vol;
uniform vec4 tint;
void fs_texture() { qv_target0 = texture(tex, v_uv); }
void fs_tint() { qv_target0 = tint; }
void fs_split() { qv_target0 = tint; qv_target1 = vec4(1.0) - tint; }
void fs_volume() { qv_target0 = texture(vol, vec3(v_uv, 1.0)); }
#endif
end
technique Textured
pass p
program vs_plain fs_texture
state ZEnable off
state CullMode none
technique Tinted
pass p
program vs_plain fs_tint
state ZEnable on
state ZWriteEnable on
state ZFunc lessequal
state AlphaBlendEnable off
technique Instanced
pass p
program vs_offset fs_tint
state ZEnable off
technique Split
pass p
program vs_plain fs_split
state ZEnable off
technique Volume
pass p
program vs_plain fs_volume
state ZEnable off
technique Blended
pass p
program vs_plain fs_tint
state ZEnable off
state AlphaBlendEnable on
state SrcBlend srcalpha
state DestBlend invsrcalpha
)";

struct Vertex {
    float x, y, z, u, v;
};

struct Rgb {
    int r, g, b;
};

class GlExecutor : public displaytest::SessionSuite {
protected:
    void SetUp() override {
        ASSERT_TRUE(session_) << openError_;
        messagesBefore_ = SdlSessionProbe::Executor(*session_).Messages().size();
        // Opened on the session, which shows it.
        window_ = std::make_unique<platform::Window>("display", 0, 0, kSize, kSize);
        ASSERT_EQ(driver_.CreateDevice(Parameters(kSize, kSize), device_), kOk);
        tree_.Write("Graphics/scene.fx", kScene);
        pool_ = EffectPool::Create();
        std::string errors;
        ASSERT_EQ(CreateEffectFromFile(device_.get(), tree_.Path("Graphics/scene.fx"), pool_, &effect_, &errors), kOk)
            << errors;
        ASSERT_EQ(SdlSessionProbe::Executor(*session_).Messages().size(), messagesBefore_)
            << SdlSessionProbe::Executor(*session_).Messages().back();
        std::vector<VertexElement> elements = {
            {0, 0, 2, 0, 0, 0},   // position float3
            {0, 12, 1, 0, 5, 0},  // texcoord 0 float2
        };
        ASSERT_EQ(device_->CreateVertexDeclaration(elements, &declaration_), kOk);
        elements.push_back({1, 0, 3, 0, 5, 1});  // texcoord 1 float4, per instance
        ASSERT_EQ(device_->CreateVertexDeclaration(elements, &instanceDeclaration_), kOk);
        ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, kFormatA8R8G8B8, Pool::kManaged, &texture_), kOk);
        // Red, green on the top row; blue, white below.
        WriteTexels(texture_, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu});
        ASSERT_EQ(device_->CreateIndexBuffer(12, kFormatIndex16, Pool::kManaged, &indices_), kOk);
        const uint16_t quad[6] = {0, 1, 2, 2, 1, 3};
        Fill(indices_, quad, sizeof quad);
    }
    void TearDown() override {
        for (VertexBuffer* b : buffers_) b->Release();
        if (indices_) indices_->Release();
        if (texture_) texture_->Release();
        if (declaration_) declaration_->Release();
        if (instanceDeclaration_) instanceDeclaration_->Release();
        if (effect_) effect_->Release();
        if (pool_) pool_->Release();
        device_.reset();
        window_.reset();
    }

    PresentParameters Parameters(uint32_t width, uint32_t height) {
        return WindowParameters(window_.get(), width, height);
    }
    static void Fill(Buffer* buffer, const void* data, size_t size) {
        void* out = nullptr;
        ASSERT_EQ(buffer->Lock(0, static_cast<uint32_t>(size), &out), kOk);
        std::memcpy(out, data, size);
        ASSERT_EQ(buffer->Unlock(), kOk);
    }
    static void WriteTexels(Texture* texture, const std::vector<uint32_t>& texels) {
        LockedRect locked;
        ASSERT_EQ(texture->LockRect(0, locked), kOk);
        const uint32_t width = texture->Width();
        for (size_t i = 0; i < texels.size(); ++i)
            std::memcpy(static_cast<uint8_t*>(locked.bits) + (i / width) * locked.pitch + (i % width) * 4, &texels[i],
                        4);
        ASSERT_EQ(texture->UnlockRect(0), kOk);
    }
    VertexBuffer* Vertices(const std::vector<Vertex>& vertices) {
        VertexBuffer* b = nullptr;
        const uint32_t size = static_cast<uint32_t>(vertices.size() * sizeof(Vertex));
        EXPECT_EQ(device_->CreateVertexBuffer(size, Pool::kManaged, &b), kOk);
        Fill(b, vertices.data(), size);
        buffers_.push_back(b);
        return b;
    }
    // A rectangle from (left, top) to (right, bottom) in clip space at depth z, uv over all of it.
    VertexBuffer* Quad(float left, float top, float right, float bottom, float z = 0.5f) {
        return Vertices(
            {{left, top, z, 0, 0}, {right, top, z, 1, 0}, {left, bottom, z, 0, 1}, {right, bottom, z, 1, 1}});
    }
    // Draws the quad (indexed, as two triangles) with the technique.
    void DrawQuad(VertexBuffer* quad, const char* technique) {
        ASSERT_EQ(effect_->SetTechnique(technique), kOk);
        ASSERT_EQ(device_->SetVertexDeclaration(declaration_), kOk);
        ASSERT_EQ(device_->SetStreamSource(0, quad, 0, sizeof(Vertex)), kOk);
        ASSERT_EQ(device_->SetIndices(indices_), kOk);
        ASSERT_EQ(effect_->Begin(nullptr), kOk);
        ASSERT_EQ(effect_->BeginPass(0), kOk);
        ASSERT_EQ(device_->DrawIndexedPrimitive(kTriangleList, 0, 0, 4, 0, 2), kOk);
        ASSERT_EQ(effect_->EndPass(), kOk);
        ASSERT_EQ(effect_->End(), kOk);
    }
    void BeginFrame(uint32_t clear = 0xFF000000u) {
        ASSERT_EQ(device_->BeginScene(), kOk);
        ASSERT_EQ(device_->Clear(kClearTarget | kClearZBuffer, clear, 1.0f, 0), kOk);
    }
    void EndFrame() {
        ASSERT_EQ(device_->EndScene(), kOk);
        ASSERT_EQ(device_->Present(), kOk);
    }
    // A pixel of the last presented back buffer, row 0 at the top.
    Rgb Pixel(int x, int y) const {
        const std::vector<uint8_t>& rgba = SdlSessionProbe::LastPresented(*session_);
        const size_t at = (static_cast<size_t>(y) * device_->BackBuffer()->Width() + x) * 4;
        if (at + 3 >= rgba.size()) return {-1, -1, -1};
        return {rgba[at], rgba[at + 1], rgba[at + 2]};
    }
    // A pixel of the window at the same place relative to its size.
    Rgb WindowPixel(float fx, float fy) const {
        const std::vector<uint8_t>& rgba = SdlSessionProbe::LastFrame(*session_);
        const int x = static_cast<int>(fx * SdlSessionProbe::LastFrameWidth(*session_)),
                  y = static_cast<int>(fy * SdlSessionProbe::LastFrameHeight(*session_));
        const size_t at = (static_cast<size_t>(y) * SdlSessionProbe::LastFrameWidth(*session_) + x) * 4;
        if (at + 3 >= rgba.size()) return {-1, -1, -1};
        return {rgba[at], rgba[at + 1], rgba[at + 2]};
    }
    void Tint(float r, float g, float b, float a = 1.0f) { ASSERT_EQ(effect_->SetVector("tint", {r, g, b, a}), kOk); }
    void DrawTexturedScreen() {
        ASSERT_EQ(effect_->SetTexture("tex", texture_), kOk);
        DrawQuad(Quad(-1, 1, 1, -1), "Textured");
    }

    qvtest::TempTree tree_;
    size_t messagesBefore_ = 0;
    std::unique_ptr<platform::Window> window_;
    Driver driver_;
    std::unique_ptr<Device> device_;
    EffectPool* pool_ = nullptr;
    Effect* effect_ = nullptr;
    VertexDeclaration* declaration_ = nullptr;
    VertexDeclaration* instanceDeclaration_ = nullptr;
    Texture* texture_ = nullptr;
    IndexBuffer* indices_ = nullptr;
    std::vector<VertexBuffer*> buffers_;
};

void ExpectPixel(const Rgb& got, const Rgb& want, const std::string& where, int tolerance = 0) {
    EXPECT_TRUE(std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
                std::abs(got.b - want.b) <= tolerance)
        << where << ": got " << got.r << "," << got.g << "," << got.b << " want " << want.r << "," << want.g << ","
        << want.b;
}

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255}, kBlack{0, 0, 0};

TEST_F(GlExecutor, ClearsToTheColour) {
    BeginFrame(0xFF336699u);
    EndFrame();
    ExpectPixel(Pixel(0, 0), {0x33, 0x66, 0x99}, "back buffer");
    ExpectPixel(Pixel(kSize - 1, kSize - 1), {0x33, 0x66, 0x99}, "back buffer corner");
    ExpectPixel(WindowPixel(0.5f, 0.5f), {0x33, 0x66, 0x99}, "window");
}

TEST_F(GlExecutor, TexturedQuadKeepsTheTopLeftTexelAtTheTopLeft) {
    BeginFrame();
    DrawTexturedScreen();
    EndFrame();
    ExpectPixel(Pixel(8, 8), kRed, "top left");
    ExpectPixel(Pixel(kSize - 8, 8), kGreen, "top right");
    ExpectPixel(Pixel(8, kSize - 8), kBlue, "bottom left");
    ExpectPixel(Pixel(kSize - 8, kSize - 8), kWhite, "bottom right");
    ExpectPixel(WindowPixel(0.1f, 0.1f), kRed, "window top left");
    ExpectPixel(WindowPixel(0.9f, 0.9f), kWhite, "window bottom right");
}

TEST_F(GlExecutor, InstancedQuadsLandAtTheirInstanceOffsets) {
    // An eighth of the screen in the top-left corner, moved by each instance's offset.
    VertexBuffer* quad = Quad(-1, 1, -0.75f, 0.75f);
    const float offsets[3][4] = {{0, 0, 0, 0}, {1, -1, 0, 0}, {1.75f, -1.75f, 0, 0}};
    VertexBuffer* instances = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof offsets, Pool::kManaged, &instances), kOk);
    buffers_.push_back(instances);
    Fill(instances, offsets, sizeof offsets);
    auto frame = [&](uint32_t firstRecord, uint32_t count) {
        BeginFrame();
        Tint(0, 1, 0);
        ASSERT_EQ(effect_->SetTechnique("Instanced"), kOk);
        ASSERT_EQ(device_->SetVertexDeclaration(instanceDeclaration_), kOk);
        ASSERT_EQ(device_->SetStreamSource(0, quad, 0, sizeof(Vertex)), kOk);
        ASSERT_EQ(device_->SetStreamSource(1, instances, firstRecord * 16, 16), kOk);
        ASSERT_EQ(device_->SetStreamSourceFreq(0, kStreamIndexedData | count), kOk);
        ASSERT_EQ(device_->SetStreamSourceFreq(1, kStreamInstanceData | 1), kOk);
        ASSERT_EQ(device_->SetIndices(indices_), kOk);
        ASSERT_EQ(effect_->Begin(nullptr), kOk);
        ASSERT_EQ(effect_->BeginPass(0), kOk);
        ASSERT_EQ(device_->DrawIndexedPrimitive(kTriangleList, 0, 0, 4, 0, 2), kOk);
        ASSERT_EQ(effect_->EndPass(), kOk);
        ASSERT_EQ(effect_->End(), kOk);
        ASSERT_EQ(device_->SetStreamSourceFreq(0, 1), kOk);
        ASSERT_EQ(device_->SetStreamSourceFreq(1, 1), kOk);
        EndFrame();
    };
    frame(0, 3);
    ExpectPixel(Pixel(4, 4), kGreen, "first instance");
    ExpectPixel(Pixel(36, 36), kGreen, "second instance");
    ExpectPixel(Pixel(60, 60), kGreen, "third instance");
    ExpectPixel(Pixel(20, 20), kBlack, "between instances");
    ExpectPixel(Pixel(60, 4), kBlack, "no instance there");

    // One record rewritten in place, and the records read from the second one on.
    const float topRight[4] = {1.75f, 0, 0, 0};
    void* record = nullptr;
    ASSERT_EQ(instances->Lock(16, 16, &record), kOk);
    std::memcpy(record, topRight, sizeof topRight);
    ASSERT_EQ(instances->Unlock(), kOk);
    frame(1, 2);
    ExpectPixel(Pixel(60, 4), kGreen, "rewritten record");
    ExpectPixel(Pixel(60, 60), kGreen, "last record");
    ExpectPixel(Pixel(4, 4), kBlack, "first record skipped");
    ExpectPixel(Pixel(36, 36), kBlack, "old value of the rewritten record");
}

TEST_F(GlExecutor, ARenderTargetDrawnThenSampledOrCopiedKeepsItsOrientation) {
    Texture* target = nullptr;
    ASSERT_EQ(device_->CreateTexture(kSize, kSize, 1, kUsageRenderTarget, kFormatA8R8G8B8, Pool::kDefault, &target),
              kOk);
    Surface* targetSurface = nullptr;
    Surface* backBuffer = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &targetSurface), kOk);
    ASSERT_EQ(device_->GetBackBuffer(&backBuffer), kOk);

    BeginFrame();
    ASSERT_EQ(device_->SetRenderTarget(0, targetSurface), kOk);
    ASSERT_EQ(device_->Clear(kClearTarget, 0xFF000000u, 1.0f, 0), kOk);
    DrawTexturedScreen();
    ASSERT_EQ(device_->SetRenderTarget(0, backBuffer), kOk);
    ASSERT_EQ(effect_->SetTexture("tex", target), kOk);
    DrawQuad(Quad(-1, 1, 1, -1), "Textured");
    EndFrame();
    ExpectPixel(Pixel(8, 8), kRed, "sampled top left");
    ExpectPixel(Pixel(kSize - 8, 8), kGreen, "sampled top right");
    ExpectPixel(Pixel(8, kSize - 8), kBlue, "sampled bottom left");

    // The copy into the right half squeezes the target's columns but keeps its rows.
    BeginFrame();
    const Rect right{kSize / 2, 0, kSize, kSize};
    ASSERT_EQ(device_->StretchRect(targetSurface, backBuffer, &right), kOk);
    EndFrame();
    ExpectPixel(Pixel(4, 8), kBlack, "left of the copy");
    ExpectPixel(Pixel(kSize / 2 + 4, 8), kRed, "copied top left");
    ExpectPixel(Pixel(kSize - 4, kSize - 8), kWhite, "copied bottom right");

    ASSERT_EQ(effect_->SetTexture("tex", nullptr), kOk);
    targetSurface->Release();
    backBuffer->Release();
    target->Release();
}

TEST_F(GlExecutor, TwoTargetsTakeTheirOwnOutputs) {
    Texture* targets[2] = {};
    Surface* surfaces[2] = {};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(device_->CreateTexture(kSize, kSize, 1, kUsageRenderTarget, kFormatA16B16G16R16F, Pool::kDefault,
                                         &targets[i]),
                  kOk);
        ASSERT_EQ(targets[i]->GetSurfaceLevel(0, &surfaces[i]), kOk);
    }
    Surface* backBuffer = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(&backBuffer), kOk);
    BeginFrame();
    ASSERT_EQ(device_->SetRenderTarget(0, surfaces[0]), kOk);
    ASSERT_EQ(device_->SetRenderTarget(1, surfaces[1]), kOk);
    Tint(1, 0, 1);
    DrawQuad(Quad(-1, 1, 1, -1), "Split");
    ASSERT_EQ(device_->SetRenderTarget(1, nullptr), kOk);
    ASSERT_EQ(device_->SetRenderTarget(0, backBuffer), kOk);
    const Rect left{0, 0, kSize / 2, kSize}, right{kSize / 2, 0, kSize, kSize};
    ASSERT_EQ(device_->StretchRect(surfaces[0], backBuffer, &left), kOk);
    ASSERT_EQ(device_->StretchRect(surfaces[1], backBuffer, &right), kOk);
    EndFrame();
    ExpectPixel(Pixel(8, 8), {255, 0, 255}, "first target");
    ExpectPixel(Pixel(kSize - 8, 8), kGreen, "second target");
    backBuffer->Release();
    for (int i = 0; i < 2; ++i) {
        surfaces[i]->Release();
        targets[i]->Release();
    }
}

TEST_F(GlExecutor, AVolumeTextureIsSampledByItsSlicesAsLayers) {
    VolumeTexture* volume = nullptr;
    ASSERT_EQ(device_->CreateVolumeTexture(2, 2, 2, kFormatA8R8G8B8, Pool::kManaged, &volume), kOk);
    LockedBox box;
    ASSERT_EQ(volume->LockBox(0, box), kOk);
    // The first slice black; the second red, green / blue, white.
    const uint32_t texels[8] = {0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u,
                                0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    std::memcpy(box.bits, texels, sizeof texels);
    ASSERT_EQ(volume->UnlockBox(0), kOk);
    BeginFrame();
    ASSERT_EQ(effect_->SetTexture("vol", volume), kOk);
    DrawQuad(Quad(-1, 1, 1, -1), "Volume");
    EndFrame();
    ExpectPixel(Pixel(8, 8), kRed, "top left of the second slice");
    ExpectPixel(Pixel(kSize - 8, 8), kGreen, "top right");
    ExpectPixel(Pixel(kSize - 8, kSize - 8), kWhite, "bottom right");
    ASSERT_EQ(effect_->SetTexture("vol", nullptr), kOk);
    volume->Release();
}

TEST_F(GlExecutor, DepthTestAndBlendingFollowTheStates) {
    BeginFrame();
    Tint(1, 0, 0);
    DrawQuad(Quad(-1, 1, 1, -1, 0.5f), "Tinted");
    Tint(0, 0, 1);
    DrawQuad(Quad(-1, 1, 1, -1, 0.7f), "Tinted");  // behind: hidden
    DrawQuad(Quad(0, 1, 1, -1, 0.3f), "Tinted");   // in front on the right half
    Tint(1, 1, 1, 0.5f);
    DrawQuad(Quad(-1, -0.5f, 1, -1, 0.9f), "Blended");  // half over the bottom rows, depth ignored
    EndFrame();
    ExpectPixel(Pixel(8, 8), kRed, "nearer quad kept");
    ExpectPixel(Pixel(kSize - 8, 8), kBlue, "nearest quad drawn");
    ExpectPixel(Pixel(8, kSize - 4), {255, 128, 128}, "white blended half over red", 1);
    ExpectPixel(Pixel(kSize - 8, kSize - 4), {128, 128, 255}, "white blended half over blue", 1);
}

// A target three times the back buffer's width drawn in thirds, each a viewport, against a depth
// surface of its own (the swap chain's is too narrow to serve it); then a viewport of the window.
TEST_F(GlExecutor, ViewportsAndADepthSurfaceOfItsOwnDrawIntoTheirPartOfTheTarget) {
    Texture* atlas = nullptr;
    ASSERT_EQ(device_->CreateTexture(3 * kSize, kSize, 1, kUsageRenderTarget, kFormatA8R8G8B8, Pool::kDefault, &atlas),
              kOk);
    Surface* atlasSurface = nullptr;
    Surface* depth = nullptr;
    Surface* swapDepth = nullptr;
    Surface* backBuffer = nullptr;
    ASSERT_EQ(atlas->GetSurfaceLevel(0, &atlasSurface), kOk);
    ASSERT_EQ(device_->CreateDepthStencilSurface(3 * kSize, kSize, kFormatD24S8, &depth), kOk);
    ASSERT_EQ(device_->GetDepthStencilSurface(&swapDepth), kOk);
    ASSERT_EQ(device_->GetBackBuffer(&backBuffer), kOk);

    BeginFrame();
    ASSERT_EQ(device_->SetRenderTarget(0, atlasSurface), kOk);
    ASSERT_EQ(device_->SetDepthStencilSurface(depth), kOk);
    ASSERT_EQ(device_->Clear(kClearTarget | kClearZBuffer, 0xFF000000u, 1.0f, 0), kOk);
    const Rgb colours[3] = {kRed, kGreen, kBlue};
    for (uint32_t third = 0; third < 3; ++third) {
        ASSERT_EQ(device_->SetViewport({third * kSize, 0, kSize, kSize}), kOk);
        Tint(colours[third].r / 255.0f, colours[third].g / 255.0f, colours[third].b / 255.0f);
        DrawQuad(Quad(-1, 1, 1, -1, 0.5f), "Tinted");
        Tint(1, 1, 1);
        DrawQuad(Quad(-1, 1, 1, -1, 0.7f), "Tinted");                 // behind the colour: hidden
        if (third == 1) DrawQuad(Quad(-1, 1, 0, 0, 0.3f), "Tinted");  // in front, its top-left quarter
    }
    ASSERT_EQ(device_->SetDepthStencilSurface(swapDepth), kOk);
    ASSERT_EQ(device_->SetRenderTarget(0, backBuffer), kOk);
    // The copy squeezes three columns of the target into one of the back buffer.
    ASSERT_EQ(device_->StretchRect(atlasSurface, backBuffer, nullptr), kOk);
    ASSERT_EQ(device_->SetViewport({0, 3 * kSize / 4, kSize / 4, kSize / 4}), kOk);
    Tint(1, 1, 0);
    DrawQuad(Quad(-1, 1, 1, -1, 0.1f), "Tinted");
    EndFrame();
    ExpectPixel(Pixel(10, 8), kRed, "first third");
    ExpectPixel(Pixel(26, 8), kWhite, "second third, top-left quarter in front");
    ExpectPixel(Pixel(38, 8), kGreen, "second third, top right");
    ExpectPixel(Pixel(26, 40), kGreen, "second third, bottom left");
    ExpectPixel(Pixel(54, 40), kBlue, "third third");
    ExpectPixel(Pixel(8, kSize - 8), {255, 255, 0}, "the window's bottom-left viewport");
    ExpectPixel(Pixel(8, kSize - 24), kRed, "above that viewport");
    ExpectPixel(Pixel(24, kSize - 8), kGreen, "right of that viewport");

    atlasSurface->Release();
    atlas->Release();
    depth->Release();
    swapDepth->Release();
    backBuffer->Release();
}

TEST_F(GlExecutor, CullModesMatchTheEngineWinding) {
    // Clockwise on the screen (top left, top right, bottom left): what the engine draws by default.
    VertexBuffer* clockwise = Vertices({{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 0, 0}, {-1, -1, 0.5f, 0, 0}});
    VertexBuffer* counter = Vertices({{1, -1, 0.5f, 0, 0}, {1, 1, 0.5f, 0, 0}, {-1, -1, 0.5f, 0, 0}});
    struct Case {
        uint32_t cull;
        bool clockwiseShown, counterShown;
    };
    for (const Case& c : {Case{kCullCcw, true, false}, Case{kCullCw, false, true}, Case{kCullNone, true, true}}) {
        BeginFrame();
        Tint(1, 1, 1);
        ASSERT_EQ(effect_->SetTechnique("Tinted"), kOk);
        ASSERT_EQ(device_->SetVertexDeclaration(declaration_), kOk);
        ASSERT_EQ(effect_->Begin(nullptr), kOk);
        ASSERT_EQ(effect_->BeginPass(0), kOk);
        ASSERT_EQ(device_->SetRenderState(kRsCullMode, c.cull), kOk);
        for (VertexBuffer* triangle : {clockwise, counter}) {
            ASSERT_EQ(device_->SetStreamSource(0, triangle, 0, sizeof(Vertex)), kOk);
            ASSERT_EQ(device_->DrawPrimitive(kTriangleList, 0, 1), kOk);
        }
        ASSERT_EQ(effect_->EndPass(), kOk);
        ASSERT_EQ(effect_->End(), kOk);
        EndFrame();
        ExpectPixel(Pixel(4, 4), c.clockwiseShown ? kWhite : kBlack, "clockwise, cull " + std::to_string(c.cull));
        ExpectPixel(Pixel(kSize - 4, kSize - 4), c.counterShown ? kWhite : kBlack,
                    "counter-clockwise, cull " + std::to_string(c.cull));
    }
}

TEST_F(GlExecutor, AnEnabledClipPlaneCutsTheDrawing) {
    const float keepRight[4] = {1, 0, 0, 0};
    ASSERT_EQ(device_->SetClipPlane(0, keepRight), kOk);
    for (uint32_t enabled : {0u, 1u}) {
        BeginFrame();
        ASSERT_EQ(device_->SetRenderState(kRsClipPlaneEnable, enabled), kOk);
        Tint(1, 1, 1);
        DrawQuad(Quad(-1, 1, 1, -1), "Tinted");
        EndFrame();
        ExpectPixel(Pixel(8, 8), enabled ? kBlack : kWhite, "left, planes " + std::to_string(enabled));
        ExpectPixel(Pixel(kSize - 8, 8), kWhite, "right, planes " + std::to_string(enabled));
    }
}

TEST_F(GlExecutor, TheSameFrameTwiceIsIdentical) {
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < 2; ++i) {
        BeginFrame(0xFF204060u);
        DrawTexturedScreen();
        Tint(1, 1, 1, 0.25f);
        DrawQuad(Quad(-0.5f, 0.5f, 0.5f, -0.5f), "Blended");
        EndFrame();
        frames.push_back(SdlSessionProbe::LastPresented(*session_));
    }
    ASSERT_FALSE(frames[0].empty());
    EXPECT_TRUE(frames[0] == frames[1]);
}

TEST_F(GlExecutor, AResetToANewSizeAndALostContextRecreateEverything) {
    BeginFrame();
    DrawTexturedScreen();
    EndFrame();
    const std::vector<uint8_t> before = SdlSessionProbe::LastPresented(*session_);

    SdlSessionProbe::LoseContext(*session_);
    BeginFrame();
    DrawTexturedScreen();
    EndFrame();
    EXPECT_TRUE(SdlSessionProbe::LastPresented(*session_) == before) << "the frame after a lost context differs";

    ASSERT_EQ(effect_->SetTexture("tex", nullptr), kOk);
    ASSERT_EQ(device_->Reset(Parameters(96, 48)), kOk);
    BeginFrame();
    DrawTexturedScreen();
    EndFrame();
    ASSERT_EQ(SdlSessionProbe::LastPresented(*session_).size(), 96u * 48u * 4u);
    ExpectPixel(Pixel(4, 4), kRed, "top left after the reset");
    ExpectPixel(Pixel(95, 47), kWhite, "bottom right after the reset");
    ExpectPixel(WindowPixel(0.02f, 0.02f), kRed, "window after the reset");
}

TEST_F(GlExecutor, TextLandsInItsRectangleOfTheBoundTarget) {
    Font* font = nullptr;
    ASSERT_EQ(CreateFont(device_.get(), 16, 0, 400, "Mono", &font), kOk);
    BeginFrame();
    DrawTexturedScreen();
    Rect where{8, 40, 40, 60};
    ASSERT_EQ(font->DrawText("##", -1, &where, kTextTopLeft, 0xFFFFFF00u), 16);
    EndFrame();
    font->Release();
    int lit = 0, stray = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize / 2; ++x) {
            const Rgb p = Pixel(x, y);
            const bool yellow = p.r == 255 && p.g == 255 && p.b == 0;
            const bool inside = x >= 8 && x < 24 && y >= 40 && y < 56;
            (inside ? lit : stray) += yellow ? 1 : 0;
        }
    EXPECT_GT(lit, 10) << "the characters' cells show the text's colour";
    EXPECT_EQ(stray, 0) << "nothing outside them";
    ExpectPixel(Pixel(4, 4), kRed, "the drawing under the text");
}

// A back buffer of the window's size is the window's own; one of another size is copied there
// scaled. Either way the rows, the winding, text and copies out of it keep their places.
TEST_F(GlExecutor, TheBackBufferInTheWindowOrCopiedThereKeepsItsPicture) {
    Texture* target = nullptr;
    Surface* targetSurface = nullptr;
    Surface* backBuffer = nullptr;
    Font* font = nullptr;
    // On the right half: a clockwise triangle at its top left, a counter-clockwise one at its
    // bottom right, culled.
    VertexBuffer* clockwise = Vertices({{0, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 0, 0}, {0, 0, 0.5f, 0, 0}});
    VertexBuffer* counter = Vertices({{1, -1, 0.5f, 0, 0}, {1, 0, 0.5f, 0, 0}, {0, -1, 0.5f, 0, 0}});
    struct Case {
        int width, height;
        bool inWindow;
    };
    for (const Case& c : {Case{kSize, kSize, true}, Case{96, 48, false}}) {
        const std::string where = std::to_string(c.width) + "x" + std::to_string(c.height);
        // A reset keeps no render target or font of the old size.
        ASSERT_EQ(device_->Reset(Parameters(c.width, c.height)), kOk);
        ASSERT_EQ(CreateFont(device_.get(), 16, 0, 400, "Mono", &font), kOk);
        ASSERT_EQ(device_->CreateTexture(kSize, kSize, 1, kUsageRenderTarget, kFormatA8R8G8B8, Pool::kDefault, &target),
                  kOk);
        ASSERT_EQ(target->GetSurfaceLevel(0, &targetSurface), kOk);
        ASSERT_EQ(device_->GetBackBuffer(&backBuffer), kOk);
        BeginFrame();
        DrawTexturedScreen();
        // Out of the back buffer, and back into its left half.
        ASSERT_EQ(device_->StretchRect(backBuffer, targetSurface, nullptr), kOk);
        ASSERT_EQ(device_->Clear(kClearTarget, 0xFF000000u, 1.0f, 0), kOk);
        ASSERT_EQ(effect_->SetTexture("tex", target), kOk);
        DrawQuad(Quad(-1, 1, 0, -1), "Textured");
        Tint(1, 1, 1);
        ASSERT_EQ(effect_->SetTechnique("Tinted"), kOk);
        ASSERT_EQ(effect_->Begin(nullptr), kOk);
        ASSERT_EQ(effect_->BeginPass(0), kOk);
        ASSERT_EQ(device_->SetRenderState(kRsCullMode, kCullCcw), kOk);
        for (VertexBuffer* triangle : {clockwise, counter}) {
            ASSERT_EQ(device_->SetStreamSource(0, triangle, 0, sizeof(Vertex)), kOk);
            ASSERT_EQ(device_->DrawPrimitive(kTriangleList, 0, 1), kOk);
        }
        ASSERT_EQ(effect_->EndPass(), kOk);
        ASSERT_EQ(effect_->End(), kOk);
        Rect text{c.width / 2 + 2, c.height - 18, c.width, c.height};
        ASSERT_EQ(font->DrawText("#", -1, &text, kTextTopLeft, 0xFFFFFF00u), 16);
        EndFrame();
        ASSERT_EQ(effect_->SetTexture("tex", nullptr), kOk);
        backBuffer->Release();
        targetSurface->Release();
        target->Release();
        font->Release();
        EXPECT_EQ(GlExecutorProbe::LastFrameInWindow(SdlSessionProbe::Executor(*session_)), c.inWindow) << where;

        const int w = c.width, h = c.height;
        ExpectPixel(Pixel(2, 2), kRed, where + " copied top left");
        ExpectPixel(Pixel(w / 2 - 3, 2), kGreen, where + " copied top right");
        ExpectPixel(Pixel(2, h - 3), kBlue, where + " copied bottom left");
        ExpectPixel(Pixel(w / 2 + 2, 2), kWhite, where + " clockwise triangle");
        ExpectPixel(Pixel(w - 3, h / 2 + 2), kBlack, where + " culled triangle");
        ExpectPixel(WindowPixel(0.02f, 0.02f), kRed, where + " window top left");
        ExpectPixel(WindowPixel(0.02f, 0.97f), kBlue, where + " window bottom left");
        ExpectPixel(WindowPixel(0.52f, 0.02f), kWhite, where + " window triangle");
        int lit = 0, stray = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Rgb p = Pixel(x, y);
                const bool yellow = p.r == 255 && p.g == 255 && p.b == 0;
                const bool inside = x >= text.left && x < text.left + 8 && y >= text.top && y < text.top + 16;
                (inside ? lit : stray) += yellow ? 1 : 0;
            }
        EXPECT_GT(lit, 10) << where << ": the character's cell shows the text's colour";
        EXPECT_EQ(stray, 0) << where << ": nothing outside it";
    }
}

TEST_F(GlExecutor, AnEffectWithoutGlslIsSkippedWithOneLogLine) {
    tree_.Write("Graphics/bare.fx", "param float4 tint\ntechnique T\npass p\n");
    tree_.Write("Graphics/broken.fx",
                "param float4 tint\nglsl\nvoid vs() { undefined_call(); }\nvoid fs() {}\nend\n"
                "technique T\npass p\nprogram vs fs\n");
    Effect* bare = nullptr;
    Effect* broken = nullptr;
    std::string errors;
    ASSERT_EQ(CreateEffectFromFile(device_.get(), tree_.Path("Graphics/bare.fx"), pool_, &bare, &errors), kOk)
        << errors;
    ASSERT_EQ(CreateEffectFromFile(device_.get(), tree_.Path("Graphics/broken.fx"), pool_, &broken, &errors), kOk)
        << errors;
    auto lines = [&] {
        const std::vector<std::string>& all = SdlSessionProbe::Executor(*session_).Messages();
        return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(messagesBefore_), all.end());
    };
    const std::vector<std::string> log = lines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].find("bare.fx\" has no GLSL"), std::string::npos) << log[0];
    EXPECT_NE(log[1].find("broken.fx\" T/p does not compile: "), std::string::npos) << log[1];
    EXPECT_NE(log[1].find("undefined_call"), std::string::npos) << "the compiler's message: " << log[1];

    VertexBuffer* quad = Quad(-1, 1, 1, -1);
    BeginFrame();
    for (int i = 0; i < 2; ++i) {
        for (Effect* skipped : {bare, broken}) {
            ASSERT_EQ(skipped->SetVector("tint", {1, 1, 1, 1}), kOk);
            ASSERT_EQ(device_->SetVertexDeclaration(declaration_), kOk);
            ASSERT_EQ(device_->SetStreamSource(0, quad, 0, sizeof(Vertex)), kOk);
            ASSERT_EQ(device_->SetIndices(indices_), kOk);
            ASSERT_EQ(skipped->Begin(nullptr), kOk);
            ASSERT_EQ(skipped->BeginPass(0), kOk);
            ASSERT_EQ(device_->DrawIndexedPrimitive(kTriangleList, 0, 0, 4, 0, 2), kOk);
            ASSERT_EQ(skipped->EndPass(), kOk);
            ASSERT_EQ(skipped->End(), kOk);
        }
    }
    Tint(0, 1, 0);
    DrawQuad(Quad(0, 1, 1, -1), "Tinted");
    EndFrame();
    EXPECT_EQ(lines().size(), 2u) << "no further lines for their draws";
    ExpectPixel(Pixel(8, 8), kBlack, "skipped draws left nothing");
    ExpectPixel(Pixel(kSize - 8, 8), kGreen, "the working effect drew");
    bare->Release();
    broken->Release();
}

}  // namespace
