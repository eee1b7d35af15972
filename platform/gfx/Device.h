#pragma once
// The headless graphics device: creates objects that own real memory, keeps render states,
// samplers, streams and bound targets, clears targets for real and records every draw and
// state change of a frame. The rules of the device are enforced: a call that breaks one
// fails with kInvalidCall and changes nothing.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "platform/TestProbe.h"
#include "platform/gfx/Objects.h"
#include "platform/gfx/Types.h"

namespace platform::gfx {

class Device;
class Effect;
struct PassState;

// The effect pass between Effect::BeginPass and EndPass: what a draw runs.
struct ActivePass {
    const Effect* effect = nullptr;
    uint32_t technique = 0;
    uint32_t pass = 0;
};

// Stands in for the entry object the device is created from.
class Driver {
public:
    // kInvalidCall for a missing window, a zero size or a format the device does not keep.
    Result CreateDevice(const PresentParameters& params, std::unique_ptr<Device>& out);

private:
    friend struct platform::TestProbe<Driver>;

    bool failNextCreate_ = false;
};

class Device {
public:
    static constexpr uint32_t kMaxRenderTargets = 4;
    static constexpr uint32_t kMaxStreams = 4;
    static constexpr uint32_t kMaxTextureStages = 8;
    static constexpr uint32_t kMaxClipPlanes = 6;

    explicit Device(const PresentParameters& params);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    const PresentParameters& GetPresentParameters() const { return params_; }

    // Lost-device protocol.
    Result TestCooperativeLevel();
    // Fails with kInvalidCall while any default-pool object is held by the caller (the back
    // buffer included, beyond the device's own reference); on success every binding and
    // render state returns to its default and the frame being recorded is dropped.
    Result Reset(const PresentParameters& params);

    // Frame. BeginScene inside a scene, EndScene outside one, and Present inside one fail.
    Result BeginScene();
    Result EndScene();
    // Ends the recorded frame. kDeviceLost while the device is lost.
    Result Present();
    // Clears the bound render target and, with kClearZBuffer, the depth surface.
    Result Clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil);

    // Creation. Sizes of 0 and unknown formats are refused.
    Result CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format, Pool pool,
                         Texture** out);
    Result CreateVolumeTexture(uint32_t width, uint32_t height, uint32_t depth, uint32_t format, Pool pool,
                               VolumeTexture** out);
    Result CreateVertexBuffer(uint32_t length, Pool pool, VertexBuffer** out);
    Result CreateIndexBuffer(uint32_t length, uint32_t format, Pool pool, IndexBuffer** out);
    Result CreateVertexDeclaration(const std::vector<VertexElement>& elements, VertexDeclaration** out);
    // A depth surface of its own (kFormatD24S8 only), in the default pool: a target of another
    // size than the back buffer draws with a depth test against it.
    Result CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t format, Surface** out);

    // State.
    Result SetRenderState(uint32_t state, uint32_t value);
    uint32_t GetRenderState(uint32_t state) const;
    // A beginning pass sets its states without recording them; the begun pass is the active one.
    void BeginEffectPass(const ActivePass& pass, const std::vector<PassState>& states);
    void EndEffectPass(const Effect* effect);
    const ActivePass& ActiveEffectPass() const { return activePass_; }
    Result SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value);
    uint32_t GetSamplerState(uint32_t sampler, uint32_t type) const;
    Result SetTexture(uint32_t stage, BaseTexture* texture);
    Result SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset, uint32_t stride);
    // Instanced drawing: a stream's frequency setting (1 by default and after a reset).
    Result SetStreamSourceFreq(uint32_t stream, uint32_t setting);
    uint32_t GetStreamSourceFreq(uint32_t stream) const { return stream < kMaxStreams ? frequencies_[stream] : 0; }
    Result SetIndices(IndexBuffer* buffer);
    Result SetVertexDeclaration(VertexDeclaration* declaration);
    VertexDeclaration* GetVertexDeclaration() const { return declaration_; }
    // Target 0 cannot be unbound. Only surfaces of render-target textures and the back buffer bind.
    Result SetRenderTarget(uint32_t index, Surface* surface);
    // A further reference to the bound target, released by the caller.
    Result GetRenderTarget(uint32_t index, Surface** out);
    Result GetBackBuffer(Surface** out);
    // The depth surface draws and depth clears use: the swap chain's own unless another is set;
    // null leaves none (draws without a depth test, depth clears fail). Only depth surfaces bind.
    // A reset binds the swap chain's own again.
    Result SetDepthStencilSurface(Surface* surface);
    // A further reference to the bound depth surface, released by the caller; kNotFound for none.
    Result GetDepthStencilSurface(Surface** out);
    // Draws land in this part of render target 0, which must hold it; a clear still clears
    // the whole target.
    Result SetViewport(const Viewport& viewport);
    const Viewport& GetViewport() const { return viewport_; }
    Result SetClipPlane(uint32_t index, const float plane[4]);
    // Copies with point sampling from one surface into a rectangle of another (the whole
    // destination for a null rectangle), converting between colour formats.
    Result StretchRect(Surface* source, Surface* destination, const Rect* destinationRect);

    // Drawing needs a scene, a vertex declaration and, per declared stream, a bound stream.
    Result DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount);
    Result DrawIndexedPrimitive(uint32_t type, int32_t baseVertex, uint32_t minIndex, uint32_t vertexCount,
                                uint32_t startIndex, uint32_t primitiveCount);

    // Recording: what the effects, fonts and the device itself add to the frame.
    void Record(const Command& command);
    void Record(Command&& command);
    // A new command of the frame being recorded, built in place by the caller.
    Command& Append(Op op);
    // The frame being recorded and the last one presented.
    const std::vector<Command>& CurrentFrame() const { return current_; }
    const std::vector<Command>& LastFrame() const { return last_; }
    uint32_t LastFrameDrawCalls() const { return lastDrawCalls_; }
    Surface* BackBuffer() const { return backBuffer_; }
    // The bound depth surface, or null.
    Surface* DepthStencil() const { return depth_; }
    Surface* BoundRenderTarget(uint32_t index) const { return index < kMaxRenderTargets ? targets_[index] : nullptr; }
    BaseTexture* BoundTexture(uint32_t stage) const { return stage < kMaxTextureStages ? textures_[stage] : nullptr; }
    // What an executor reads to draw: streams (buffer, byte offset, stride), indices, planes.
    VertexBuffer* StreamBuffer(uint32_t stream) const {
        return stream < kMaxStreams ? streams_[stream].buffer : nullptr;
    }
    uint32_t StreamOffset(uint32_t stream) const { return stream < kMaxStreams ? streams_[stream].offset : 0; }
    uint32_t StreamStride(uint32_t stream) const { return stream < kMaxStreams ? streams_[stream].stride : 0; }
    IndexBuffer* Indices() const { return indices_; }
    const float* ClipPlane(uint32_t index) const {
        return index < kMaxClipPlanes ? clipPlanes_[index].data() : nullptr;
    }
    // Default-pool objects the caller still holds (the back buffer's own reference aside).
    size_t HeldDefaultPoolObjects() const;

    // Test control: the device is lost; TestCooperativeLevel reports kDeviceLost for the next
    // `lostChecks` calls, then kDeviceNotReset until a reset succeeds.
    void LoseDevice(uint32_t lostChecks = 1);
    bool IsLost() const { return lost_; }
    // The device is lost (as LoseDevice(1)) once the frame being recorded holds `commands`
    // commands: a loss in the middle of a frame.
    void LoseDeviceAfter(size_t commands) { loseAfter_ = commands; }

private:
    friend class DeviceObject;
    friend struct platform::TestProbe<Device>;
    void Track(DeviceObject* object) { objects_.insert(object); }
    void Forget(DeviceObject* object) { objects_.erase(object); }
    void CreateSwapChain();
    void ReleaseSwapChain();
    void ResetState();
    template <class T>
    void Bind(T*& slot, T* object);
    Result CheckDraw() const;
    void Execute(const Command& draw) const;
    // After a command is added: counts it when it draws, and a loss the tests asked for at this
    // length of the frame.
    void Recorded();
    static void Describe(Command& c, size_t at, const BaseTexture* texture);

    // The whole of render target 0.
    void ViewWholeTarget();

    PresentParameters params_;
    std::set<DeviceObject*> objects_;
    Surface* backBuffer_ = nullptr;
    Surface* swapDepth_ = nullptr;  // the swap chain's own depth surface
    Surface* depth_ = nullptr;      // the bound one
    Viewport viewport_;
    bool inScene_ = false;
    bool lost_ = false;
    uint32_t lostChecks_ = 0;
    uint32_t failResets_ = 0;
    Result failResetCode_ = kInvalidCall;
    uint32_t resets_ = 0;
    size_t loseAfter_ = 0;
    uint32_t failCreations_ = 0;
    bool FailThisCreation();

    // States by number in flat tables (a draw sets several, every frame); numbers beyond the
    // tables, which no state of the engine has, in maps.
    static constexpr uint32_t kTableRenderStates = 256;
    static constexpr uint32_t kTableSamplerStates = 16;
    uint32_t& RenderStateSlot(uint32_t state);
    std::array<uint32_t, kTableRenderStates> renderStates_{};
    std::map<uint32_t, uint32_t> otherRenderStates_;
    ActivePass activePass_;
    std::array<std::array<uint32_t, kTableSamplerStates>, kMaxTextureStages> samplerStates_{};
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> otherSamplerStates_;
    std::array<BaseTexture*, kMaxTextureStages> textures_{};
    struct Stream {
        VertexBuffer* buffer = nullptr;
        uint32_t offset = 0;
        uint32_t stride = 0;
    };
    std::array<Stream, kMaxStreams> streams_{};
    std::array<uint32_t, kMaxStreams> frequencies_{1, 1, 1, 1};
    IndexBuffer* indices_ = nullptr;
    VertexDeclaration* declaration_ = nullptr;
    std::array<Surface*, kMaxRenderTargets> targets_{};
    std::array<std::array<float, 4>, kMaxClipPlanes> clipPlanes_{};

    std::vector<Command> current_;
    std::vector<Command> last_;
    uint32_t drawCalls_ = 0;
    uint32_t lastDrawCalls_ = 0;
    uint64_t presented_ = 0;
};

}  // namespace platform::gfx
