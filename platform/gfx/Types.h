#pragma once
// Result codes, formats, pools and the recorded command of the headless graphics device.
#include <cstdint>
#include <string>

namespace platform {
class Window;
}

namespace platform::gfx {

// The codes the engine branches on; negative means failure.
enum Result : int32_t {
    kOk = 0,
    kFail = static_cast<int32_t>(0x80004005),
    kOutOfMemory = static_cast<int32_t>(0x8007000E),
    kDeviceLost = static_cast<int32_t>(0x88760868),
    kDeviceNotReset = static_cast<int32_t>(0x88760869),
    kInvalidCall = static_cast<int32_t>(0x8876086C),
    kNotFound = static_cast<int32_t>(0x88760866),
};
inline bool Failed(int32_t result) { return result < 0; }

enum Format : uint32_t {
    kFormatUnknown = 0,
    kFormatA8R8G8B8 = 21,
    kFormatX8R8G8B8 = 22,
    kFormatD24S8 = 75,
    kFormatIndex16 = 101,
    kFormatIndex32 = 102,
    kFormatA16B16G16R16F = 113,
    kFormatR32F = 114,
    kFormatG32R32F = 115,
};
// 0 for a format the device does not keep.
uint32_t BytesPerPixel(uint32_t format);

// Default-pool objects are lost with the device; managed ones survive a reset.
enum class Pool : uint32_t { kDefault = 0, kManaged = 1 };

enum Usage : uint32_t { kUsageRenderTarget = 0x1, kUsageAutoGenMipmap = 0x400 };

enum ClearFlags : uint32_t { kClearTarget = 0x1, kClearZBuffer = 0x2, kClearStencil = 0x4 };

enum RenderState : uint32_t {
    kRsZEnable = 7,
    kRsZWriteEnable = 14,
    kRsSrcBlend = 19,
    kRsDestBlend = 20,
    kRsCullMode = 22,
    kRsZFunc = 23,
    kRsAlphaBlendEnable = 27,
    kRsClipPlaneEnable = 152,
    kRsColorWriteEnable = 168,
    kRsBlendOp = 171
};

enum Compare : uint32_t {
    kCmpNever = 1,
    kCmpLess = 2,
    kCmpEqual = 3,
    kCmpLessEqual = 4,
    kCmpGreater = 5,
    kCmpNotEqual = 6,
    kCmpGreaterEqual = 7,
    kCmpAlways = 8
};

enum Blend : uint32_t {
    kBlendZero = 1,
    kBlendOne = 2,
    kBlendSrcColor = 3,
    kBlendInvSrcColor = 4,
    kBlendSrcAlpha = 5,
    kBlendInvSrcAlpha = 6,
    kBlendDestAlpha = 7,
    kBlendInvDestAlpha = 8,
    kBlendDestColor = 9,
    kBlendInvDestColor = 10
};

enum BlendOp : uint32_t {
    kBlendOpAdd = 1,
    kBlendOpSubtract = 2,
    kBlendOpRevSubtract = 3,
    kBlendOpMin = 4,
    kBlendOpMax = 5
};

// Which winding is culled: the engine's default culls counter-clockwise triangles.
enum Cull : uint32_t { kCullNone = 1, kCullCw = 2, kCullCcw = 3 };

enum PrimitiveType : uint32_t { kPointList = 1, kLineList = 2, kTriangleList = 4, kTriangleStrip = 5 };

// Stream frequency settings of instanced drawing: the geometry stream is drawn
// kStreamIndexedData | instances times, the instance stream advances once per instance.
constexpr uint32_t kStreamIndexedData = 0x40000000u;
constexpr uint32_t kStreamInstanceData = 0x80000000u;

constexpr uint32_t kPresentIntervalOne = 1;
constexpr uint32_t kPresentIntervalImmediate = 0x80000000u;
constexpr uint32_t kSwapEffectDiscard = 1;

// The presentation parameters in their fixed order.
struct PresentParameters {
    uint32_t backBufferWidth = 0;
    uint32_t backBufferHeight = 0;
    uint32_t backBufferFormat = kFormatUnknown;
    uint32_t backBufferCount = 0;
    uint32_t multiSampleType = 0;
    uint32_t multiSampleQuality = 0;
    uint32_t swapEffect = 0;
    Window* deviceWindow = nullptr;
    bool windowed = true;
    bool enableAutoDepthStencil = false;
    uint32_t autoDepthStencilFormat = kFormatUnknown;
    uint32_t flags = 0;
    uint32_t fullScreenRefreshRate = 0;
    uint32_t presentationInterval = 0;
};

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The part of render target 0 that draws land in, in pixels from its top-left corner: clip
// space's -1 to 1 spans it. Binding a target makes it the whole target.
struct Viewport {
    uint32_t x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Viewport& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
};

// One recorded draw or state change. Objects are described by what they are (size and
// format), not by address, so that a frame drawn after a reset compares equal to one before.
enum class Op : uint8_t {
    kBeginScene,
    kEndScene,
    kPresent,
    kClear,
    kSetRenderState,
    kSetSamplerState,
    kSetTexture,
    kSetStreamSource,
    kSetIndices,
    kSetVertexDeclaration,
    kSetRenderTarget,
    kSetClipPlane,
    kDrawPrimitive,
    kDrawIndexedPrimitive,
    kStretchRect,
    kSetTechnique,
    kBeginEffect,
    kBeginPass,
    kEndPass,
    kEndEffect,
    kSetParameter,
    kDrawText,
    kSetStreamSourceFreq,
    kSetViewport,
    kSetDepthStencilSurface,
};
const char* OpName(Op op);

struct Command {
    Op op = Op::kBeginScene;
    std::string name;    // effect, technique, parameter or text
    uint32_t a[6] = {};  // integer arguments in call order
    float v[16] = {};    // float arguments (colours, planes, parameter values)
    bool operator==(const Command& o) const;
    bool operator!=(const Command& o) const { return !(*this == o); }
    bool IsDraw() const { return op == Op::kDrawPrimitive || op == Op::kDrawIndexedPrimitive; }
};

}  // namespace platform::gfx
