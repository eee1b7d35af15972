#pragma once
// A recorded frame replayed on a headless device of its own: each command goes to the device
// call that recorded it, with objects of the sizes and formats the command describes, and what
// effects and fonts record goes to Device::Record as they hand it over. Timing Run() times the
// device's own handling of a frame's commands, without the work that decided them.
#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

#include "platform/gfx/Device.h"

namespace bench {

class FrameReplay {
public:
    // Prepares the frame's objects; Ready() is false when the device could not make one.
    FrameReplay(const platform::gfx::PresentParameters& params, const std::vector<platform::gfx::Command>& frame)
        : device_(params), frame_(frame) {
        using namespace platform::gfx;
        steps_.reserve(frame.size());
        for (const Command& c : frame) {
            Step step{&c, nullptr, nullptr};
            switch (c.op) {
                case Op::kSetTexture:
                    if (c.a[1] != 0) step.object = Target(c.a[1], c.a[2], c.a[3], kTextureSlot);
                    break;
                case Op::kSetRenderTarget:
                    if (c.a[1] != 0) step.object = TargetSurface(c.a[1], c.a[2], c.a[3], c.a[0]);
                    break;
                case Op::kSetStreamSource:
                    if (c.a[1] != 0) step.object = VertexBufferOf(c.a[1]);
                    break;
                case Op::kSetIndices:
                    if (c.a[0] != 0) step.object = IndexBufferOf(c.a[0], c.a[1]);
                    break;
                case Op::kSetVertexDeclaration:
                    if (c.a[0] != 0) step.object = DeclarationOf(c.a[0]);
                    break;
                case Op::kSetDepthStencilSurface:
                    if (c.a[0] != 0) step.object = DepthSurface(c.a[0], c.a[1]);
                    break;
                case Op::kStretchRect: {
                    // A copy records its source's size and its rectangle, not the surfaces. In a
                    // headless frame every target holds a waiting clear, so both ends are
                    // targets of their own holding one (the destination just large enough),
                    // cleared again as each run starts.
                    step.object = TargetSurface(c.a[0], c.a[1], kFormatA8R8G8B8, kCopySourceSlot);
                    step.destination = TargetSurface(c.a[4], c.a[5], kFormatA8R8G8B8, kCopySlot);
                    for (Surface* end : {static_cast<Surface*>(step.object), step.destination})
                        if (end && std::find(copyEnds_.begin(), copyEnds_.end(), end) == copyEnds_.end())
                            copyEnds_.push_back(end);
                    break;
                }
                default:
                    break;
            }
            steps_.push_back(step);
        }
    }

    ~FrameReplay() {
        using namespace platform::gfx;
        device_.SetRenderTarget(0, device_.BackBuffer());
        device_.SetDepthStencilSurface(nullptr);
        for (uint32_t i = 1; i < Device::kMaxRenderTargets; ++i) device_.SetRenderTarget(i, nullptr);
        ReleaseAll(surfaces_);
        ReleaseAll(textures_);
        ReleaseAll(vertexBuffers_);
        ReleaseAll(indexBuffers_);
        ReleaseAll(declarations_);
    }

    FrameReplay(const FrameReplay&) = delete;
    FrameReplay& operator=(const FrameReplay&) = delete;

    bool Ready() const { return ready_; }

    // The frame once, to its Present.
    void Run() {
        using namespace platform::gfx;
        for (Surface* end : copyEnds_) end->Fill(0);
        for (const Step& step : steps_) {
            const Command& c = *step.command;
            switch (c.op) {
                case Op::kBeginScene:
                    device_.BeginScene();
                    break;
                case Op::kEndScene:
                    device_.EndScene();
                    break;
                case Op::kPresent:
                    device_.Present();
                    break;
                case Op::kClear:
                    device_.Clear(c.a[0], c.a[1], c.v[0], c.a[2]);
                    break;
                case Op::kSetRenderState:
                    device_.SetRenderState(c.a[0], c.a[1]);
                    break;
                case Op::kSetSamplerState:
                    device_.SetSamplerState(c.a[0], c.a[1], c.a[2]);
                    break;
                case Op::kSetTexture:
                    device_.SetTexture(c.a[0], static_cast<BaseTexture*>(step.object));
                    break;
                case Op::kSetStreamSource:
                    device_.SetStreamSource(c.a[0], static_cast<VertexBuffer*>(step.object), c.a[2], c.a[3]);
                    break;
                case Op::kSetStreamSourceFreq:
                    device_.SetStreamSourceFreq(c.a[0], c.a[1]);
                    break;
                case Op::kSetIndices:
                    device_.SetIndices(static_cast<IndexBuffer*>(step.object));
                    break;
                case Op::kSetVertexDeclaration:
                    device_.SetVertexDeclaration(static_cast<VertexDeclaration*>(step.object));
                    break;
                case Op::kSetRenderTarget:
                    device_.SetRenderTarget(c.a[0], static_cast<Surface*>(step.object));
                    break;
                case Op::kSetClipPlane:
                    device_.SetClipPlane(c.a[0], c.v);
                    break;
                case Op::kSetViewport:
                    device_.SetViewport({c.a[0], c.a[1], c.a[2], c.a[3]});
                    break;
                case Op::kSetDepthStencilSurface:
                    device_.SetDepthStencilSurface(static_cast<Surface*>(step.object));
                    break;
                case Op::kStretchRect: {
                    const Rect rect{static_cast<int32_t>(c.a[2]), static_cast<int32_t>(c.a[3]),
                                    static_cast<int32_t>(c.a[4]), static_cast<int32_t>(c.a[5])};
                    device_.StretchRect(static_cast<Surface*>(step.object), step.destination, &rect);
                    break;
                }
                case Op::kDrawPrimitive:
                    device_.DrawPrimitive(c.a[0], c.a[1], c.a[2]);
                    break;
                case Op::kDrawIndexedPrimitive:
                    device_.DrawIndexedPrimitive(c.a[0], static_cast<int32_t>(c.a[1]), c.a[2], c.a[3], c.a[4], c.a[5]);
                    break;
                default:  // what effects and fonts hand to the device
                    device_.Record(c);
                    break;
            }
        }
    }

    // The last replay recorded exactly the frame it was given.
    bool Matches() const { return device_.LastFrame() == frame_; }

private:
    using Surface = platform::gfx::Surface;
    using Description = std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>;
    // Slots apart from the render target indices, so a texture or a copy's destination is never
    // the target bound beside it.
    static constexpr uint32_t kTextureSlot = 100;
    static constexpr uint32_t kCopySourceSlot = 101;
    static constexpr uint32_t kCopySlot = 102;
    static constexpr uint32_t kDepthSlot = 103;

    // A creation that failed leaves its entry empty.
    template <class Objects>
    static void ReleaseAll(Objects& objects) {
        for (auto& entry : objects)
            if (entry.second) entry.second->Release();
    }

    struct Step {
        const platform::gfx::Command* command;
        void* object;
        platform::gfx::Surface* destination;
    };

    platform::gfx::Texture* Target(uint32_t width, uint32_t height, uint32_t format, uint32_t slot) {
        using namespace platform::gfx;
        Texture*& texture = textures_[{width, height, format, slot}];
        if (!texture &&
            Failed(device_.CreateTexture(width, height, 1, kUsageRenderTarget, format, Pool::kDefault, &texture)))
            ready_ = false;
        return texture;
    }

    platform::gfx::Surface* TargetSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t slot) {
        const Surface* back = device_.BackBuffer();
        if (slot == 0 && width == back->Width() && height == back->Height() && format == back->GetFormat())
            return device_.BackBuffer();
        Surface*& surface = surfaces_[{width, height, format, slot}];
        if (surface) return surface;
        platform::gfx::Texture* texture = Target(width, height, format, slot);
        if (texture) texture->GetSurfaceLevel(0, &surface);
        return surface;
    }

    // The swap chain's depth surface where the size is the back buffer's, else one of its own.
    platform::gfx::Surface* DepthSurface(uint32_t width, uint32_t height) {
        using namespace platform::gfx;
        Surface* own = device_.DepthStencil();
        if (own && width == own->Width() && height == own->Height()) return own;
        Surface*& surface = surfaces_[{width, height, kFormatD24S8, kDepthSlot}];
        if (!surface && Failed(device_.CreateDepthStencilSurface(width, height, kFormatD24S8, &surface)))
            ready_ = false;
        return surface;
    }

    platform::gfx::VertexBuffer* VertexBufferOf(uint32_t length) {
        platform::gfx::VertexBuffer*& buffer = vertexBuffers_[length];
        if (!buffer &&
            platform::gfx::Failed(device_.CreateVertexBuffer(length, platform::gfx::Pool::kManaged, &buffer)))
            ready_ = false;
        return buffer;
    }

    platform::gfx::IndexBuffer* IndexBufferOf(uint32_t length, uint32_t format) {
        platform::gfx::IndexBuffer*& buffer = indexBuffers_[{length, format}];
        if (!buffer &&
            platform::gfx::Failed(device_.CreateIndexBuffer(length, format, platform::gfx::Pool::kManaged, &buffer)))
            ready_ = false;
        return buffer;
    }

    // Every element in stream 0: a draw checks each declared element's stream.
    platform::gfx::VertexDeclaration* DeclarationOf(uint32_t elements) {
        platform::gfx::VertexDeclaration*& declaration = declarations_[elements];
        if (!declaration && platform::gfx::Failed(device_.CreateVertexDeclaration(
                                std::vector<platform::gfx::VertexElement>(elements), &declaration)))
            ready_ = false;
        return declaration;
    }

    platform::gfx::Device device_;
    const std::vector<platform::gfx::Command>& frame_;
    std::vector<Step> steps_;
    std::vector<Surface*> copyEnds_;
    bool ready_ = true;
    std::map<Description, platform::gfx::Texture*> textures_;
    std::map<Description, Surface*> surfaces_;
    std::map<uint32_t, platform::gfx::VertexBuffer*> vertexBuffers_;
    std::map<std::pair<uint32_t, uint32_t>, platform::gfx::IndexBuffer*> indexBuffers_;
    std::map<uint32_t, platform::gfx::VertexDeclaration*> declarations_;
};

}  // namespace bench
