#include "platform/gfx/Device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gfx/EffectFile.h"
#include "platform/gfx/Executor.h"
#include "platform/gfx/Half.h"

namespace platform::gfx {
namespace {

// The 8-bit colour formats: what a back buffer and a volume texture hold.
bool ByteColour(uint32_t format) { return format == kFormatA8R8G8B8 || format == kFormatX8R8G8B8; }

bool ValidParameters(const PresentParameters& p) {
    return p.deviceWindow && p.backBufferWidth > 0 && p.backBufferHeight > 0 && ByteColour(p.backBufferFormat) &&
           (!p.enableAutoDepthStencil || p.autoDepthStencilFormat == kFormatD24S8);
}

}  // namespace

Result Driver::CreateDevice(const PresentParameters& params, std::unique_ptr<Device>& out) {
    if (failNextCreate_) {
        failNextCreate_ = false;
        return kNotFound;
    }
    if (!ValidParameters(params)) return kInvalidCall;
    out = std::make_unique<Device>(params);
    return kOk;
}

Device::Device(const PresentParameters& params) : params_(params) {
    CreateSwapChain();
    ResetState();
    Bind(targets_[0], backBuffer_);
    Bind(depth_, swapDepth_);
    ViewWholeTarget();
}

Device::~Device() {
    ResetState();
    ReleaseSwapChain();
    // Objects the caller never released outlive the device without it.
    for (DeviceObject* object : objects_) object->device_ = nullptr;
}

void Device::CreateSwapChain() {
    backBuffer_ =
        new Surface(this, Pool::kDefault, params_.backBufferWidth, params_.backBufferHeight, params_.backBufferFormat);
    if (params_.enableAutoDepthStencil)
        swapDepth_ = new Surface(this, Pool::kDefault, params_.backBufferWidth, params_.backBufferHeight,
                                 params_.autoDepthStencilFormat);
}

void Device::ReleaseSwapChain() {
    if (backBuffer_) backBuffer_->Release();
    if (swapDepth_) swapDepth_->Release();
    backBuffer_ = swapDepth_ = nullptr;
}

template <class T>
void Device::Bind(T*& slot, T* object) {
    if (object) object->HoldByDevice();
    T* old = slot;
    slot = object;
    if (old) old->DropByDevice();
}

void Device::ResetState() {
    for (auto& t : textures_) Bind(t, static_cast<BaseTexture*>(nullptr));
    for (auto& s : streams_) {
        Bind(s.buffer, static_cast<VertexBuffer*>(nullptr));
        s = Stream{};
    }
    frequencies_.fill(1);
    Bind(indices_, static_cast<IndexBuffer*>(nullptr));
    Bind(declaration_, static_cast<VertexDeclaration*>(nullptr));
    for (auto& t : targets_) Bind(t, static_cast<Surface*>(nullptr));
    Bind(depth_, static_cast<Surface*>(nullptr));
    viewport_ = Viewport{};
    renderStates_.fill(0);
    otherRenderStates_.clear();
    const std::pair<uint32_t, uint32_t> defaults[] = {
        {kRsZEnable, 1},           {kRsZWriteEnable, 1},     {kRsZFunc, kCmpLessEqual},
        {kRsAlphaBlendEnable, 0},  {kRsSrcBlend, kBlendOne}, {kRsDestBlend, kBlendZero},
        {kRsBlendOp, kBlendOpAdd}, {kRsCullMode, kCullCcw},  {kRsColorWriteEnable, 15},
    };
    for (const auto& [state, value] : defaults) renderStates_[state] = value;
    for (auto& stage : samplerStates_) stage.fill(0);
    otherSamplerStates_.clear();
    clipPlanes_ = {};
    inScene_ = false;
}

size_t Device::HeldDefaultPoolObjects() const {
    size_t held = 0;
    for (const DeviceObject* object : objects_) {
        if (object->GetPool() != Pool::kDefault || !object->HoldsDeviceMemory()) continue;
        const bool own = object == backBuffer_ || object == swapDepth_;
        if (object->refs_ > (own ? 1u : 0u)) ++held;
    }
    return held;
}

Result Device::TestCooperativeLevel() {
    if (!lost_) return kOk;
    if (lostChecks_ > 0) {
        --lostChecks_;
        return kDeviceLost;
    }
    return kDeviceNotReset;
}

Result Device::Reset(const PresentParameters& params) {
    if (failResets_ > 0) {
        --failResets_;
        return failResetCode_;
    }
    if (!ValidParameters(params) || HeldDefaultPoolObjects() > 0) return kInvalidCall;
    ResetState();
    ReleaseSwapChain();
    params_ = params;
    CreateSwapChain();
    Bind(targets_[0], backBuffer_);
    Bind(depth_, swapDepth_);
    ViewWholeTarget();
    lost_ = false;
    lostChecks_ = 0;
    current_.clear();
    drawCalls_ = 0;
    ++resets_;
    if (Executor* executor = InstalledExecutor()) executor->Reset(*this);
    return kOk;
}

void Device::LoseDevice(uint32_t lostChecks) {
    lost_ = true;
    lostChecks_ = lostChecks;
}

void Device::Recorded() {
    if (current_.back().IsDraw()) ++drawCalls_;
    if (loseAfter_ != 0 && current_.size() >= loseAfter_) {
        loseAfter_ = 0;
        LoseDevice(1);
    }
}

Command& Device::Append(Op op) {
    // Copied from a blank command: value-initialising one in place clears it with a string
    // instruction whose start-up costs more than the copy.
    static const Command blank{};
    current_.push_back(blank);
    Command& c = current_.back();
    c.op = op;
    Recorded();
    return c;
}

void Device::Describe(Command& c, size_t at, const BaseTexture* texture) {
    if (!texture) return;
    c.a[at] = texture->Width();
    c.a[at + 1] = texture->Height();
    c.a[at + 2] = texture->GetFormat();
}

void Device::Record(const Command& command) {
    current_.push_back(command);
    Recorded();
}

void Device::Record(Command&& command) {
    current_.push_back(std::move(command));
    Recorded();
}

bool Device::FailThisCreation() {
    if (failCreations_ == 0) return false;
    --failCreations_;
    return true;
}

Result Device::BeginScene() {
    if (inScene_) return kInvalidCall;
    inScene_ = true;
    Append(Op::kBeginScene);
    return kOk;
}

Result Device::EndScene() {
    if (!inScene_) return kInvalidCall;
    inScene_ = false;
    Append(Op::kEndScene);
    return kOk;
}

Result Device::Present() {
    if (inScene_) return kInvalidCall;
    if (lost_) return kDeviceLost;
    Append(Op::kPresent);
    lastDrawCalls_ = drawCalls_;
    drawCalls_ = 0;
    // Swapping keeps both lists' storage, so a steady frame allocates no new list.
    std::swap(last_, current_);
    current_.clear();
    ++presented_;
    if (Executor* executor = InstalledExecutor()) executor->Present(*this);
    return kOk;
}

Result Device::Clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) {
    if ((flags & (kClearZBuffer | kClearStencil)) && !depth_) return kInvalidCall;
    Command& c = Append(Op::kClear);
    c.a[0] = flags;
    c.a[1] = argb;
    c.a[2] = stencil;
    c.v[0] = z;
    if (lost_) return kOk;
    if (Executor* executor = InstalledExecutor()) {
        executor->Clear(*this, flags, argb, z, stencil);
        return kOk;
    }
    if ((flags & kClearTarget) && targets_[0]) targets_[0]->Fill(argb);
    if ((flags & kClearZBuffer) && depth_) depth_->FillDepth(z, stencil);
    return kOk;
}

Result Device::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                             Pool pool, Texture** out) {
    if (FailThisCreation()) return kOutOfMemory;
    if (!out || width == 0 || height == 0 || BytesPerPixel(format) == 0 || format == kFormatD24S8) return kInvalidCall;
    // Render targets live with the device and must be in the default pool.
    if ((usage & kUsageRenderTarget) && pool != Pool::kDefault) return kInvalidCall;
    if (levels == 0 || (usage & kUsageAutoGenMipmap)) {
        uint32_t all = 1;
        for (uint32_t w = width, h = height; w > 1 || h > 1; w /= 2, h /= 2) ++all;
        levels = (usage & kUsageAutoGenMipmap) ? 1 : all;
    }
    *out = new Texture(this, pool, width, height, levels, usage, format);
    return kOk;
}

Result Device::CreateVolumeTexture(uint32_t width, uint32_t height, uint32_t depth, uint32_t format, Pool pool,
                                   VolumeTexture** out) {
    if (FailThisCreation()) return kOutOfMemory;
    if (!out || width == 0 || height == 0 || depth == 0 || !ByteColour(format)) return kInvalidCall;
    *out = new VolumeTexture(this, pool, width, height, depth, format);
    return kOk;
}

Result Device::CreateVertexBuffer(uint32_t length, Pool pool, VertexBuffer** out) {
    if (FailThisCreation()) return kOutOfMemory;
    if (!out || length == 0) return kInvalidCall;
    *out = new VertexBuffer(this, pool, length);
    return kOk;
}

Result Device::CreateIndexBuffer(uint32_t length, uint32_t format, Pool pool, IndexBuffer** out) {
    if (FailThisCreation()) return kOutOfMemory;
    if (!out || length == 0 || (format != kFormatIndex16 && format != kFormatIndex32)) return kInvalidCall;
    *out = new IndexBuffer(this, pool, length, format);
    return kOk;
}

Result Device::CreateVertexDeclaration(const std::vector<VertexElement>& elements, VertexDeclaration** out) {
    if (!out || elements.empty()) return kInvalidCall;
    for (const VertexElement& e : elements)
        if (e.stream >= kMaxStreams) return kInvalidCall;
    *out = new VertexDeclaration(this, elements);
    return kOk;
}

Result Device::CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t format, Surface** out) {
    if (FailThisCreation()) return kOutOfMemory;
    if (!out || width == 0 || height == 0 || format != kFormatD24S8) return kInvalidCall;
    *out = new Surface(this, Pool::kDefault, width, height, format);
    return kOk;
}

uint32_t& Device::RenderStateSlot(uint32_t state) {
    return state < kTableRenderStates ? renderStates_[state] : otherRenderStates_[state];
}

Result Device::SetRenderState(uint32_t state, uint32_t value) {
    RenderStateSlot(state) = value;
    Command& c = Append(Op::kSetRenderState);
    c.a[0] = state;
    c.a[1] = value;
    return kOk;
}

void Device::BeginEffectPass(const ActivePass& pass, const std::vector<PassState>& states) {
    for (const PassState& s : states) RenderStateSlot(s.state) = s.value;
    activePass_ = pass;
}

void Device::EndEffectPass(const Effect* effect) {
    if (activePass_.effect == effect) activePass_ = ActivePass{};
}

uint32_t Device::GetRenderState(uint32_t state) const {
    if (state < kTableRenderStates) return renderStates_[state];
    auto it = otherRenderStates_.find(state);
    return it == otherRenderStates_.end() ? 0 : it->second;
}

Result Device::SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) {
    if (sampler >= kMaxTextureStages) return kInvalidCall;
    if (type < kTableSamplerStates)
        samplerStates_[sampler][type] = value;
    else
        otherSamplerStates_[{sampler, type}] = value;
    Command& c = Append(Op::kSetSamplerState);
    c.a[0] = sampler;
    c.a[1] = type;
    c.a[2] = value;
    return kOk;
}

uint32_t Device::GetSamplerState(uint32_t sampler, uint32_t type) const {
    if (sampler < kMaxTextureStages && type < kTableSamplerStates) return samplerStates_[sampler][type];
    auto it = otherSamplerStates_.find({sampler, type});
    return it == otherSamplerStates_.end() ? 0 : it->second;
}

Result Device::SetTexture(uint32_t stage, BaseTexture* texture) {
    if (stage >= kMaxTextureStages) return kInvalidCall;
    Bind(textures_[stage], texture);
    Command& c = Append(Op::kSetTexture);
    c.a[0] = stage;
    Describe(c, 1, texture);
    return kOk;
}

Result Device::SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset, uint32_t stride) {
    if (stream >= kMaxStreams || (buffer && offset > buffer->Length())) return kInvalidCall;
    Bind(streams_[stream].buffer, buffer);
    streams_[stream].offset = offset;
    streams_[stream].stride = stride;
    Command& c = Append(Op::kSetStreamSource);
    c.a[0] = stream;
    c.a[1] = buffer ? buffer->Length() : 0;
    c.a[2] = offset;
    c.a[3] = stride;
    return kOk;
}

Result Device::SetStreamSourceFreq(uint32_t stream, uint32_t setting) {
    if (stream >= kMaxStreams) return kInvalidCall;
    frequencies_[stream] = setting;
    Command& c = Append(Op::kSetStreamSourceFreq);
    c.a[0] = stream;
    c.a[1] = setting;
    return kOk;
}

Result Device::SetIndices(IndexBuffer* buffer) {
    Bind(indices_, buffer);
    Command& c = Append(Op::kSetIndices);
    c.a[0] = buffer ? buffer->Length() : 0;
    c.a[1] = buffer ? buffer->GetFormat() : 0;
    return kOk;
}

Result Device::SetVertexDeclaration(VertexDeclaration* declaration) {
    Bind(declaration_, declaration);
    Command& c = Append(Op::kSetVertexDeclaration);
    c.a[0] = declaration ? static_cast<uint32_t>(declaration->Elements().size()) : 0;
    return kOk;
}

Result Device::SetRenderTarget(uint32_t index, Surface* surface) {
    if (index >= kMaxRenderTargets || (index == 0 && !surface)) return kInvalidCall;
    if (surface && surface != backBuffer_) {
        const Texture* owner = static_cast<const Texture*>(surface->container_);
        if (!owner || !(owner->Usage() & kUsageRenderTarget)) return kInvalidCall;
    }
    Bind(targets_[index], surface);
    Command& c = Append(Op::kSetRenderTarget);
    c.a[0] = index;
    if (surface) {
        c.a[1] = surface->Width();
        c.a[2] = surface->Height();
        c.a[3] = surface->GetFormat();
    }
    if (index == 0) ViewWholeTarget();
    return kOk;
}

void Device::ViewWholeTarget() {
    viewport_ = targets_[0] ? Viewport{0, 0, targets_[0]->Width(), targets_[0]->Height()} : Viewport{};
}

Result Device::SetViewport(const Viewport& v) {
    const Surface* target = targets_[0];
    if (!target || v.width == 0 || v.height == 0 || v.x >= target->Width() || v.y >= target->Height() ||
        v.width > target->Width() - v.x || v.height > target->Height() - v.y)
        return kInvalidCall;
    viewport_ = v;
    Command& c = Append(Op::kSetViewport);
    c.a[0] = v.x;
    c.a[1] = v.y;
    c.a[2] = v.width;
    c.a[3] = v.height;
    return kOk;
}

Result Device::SetDepthStencilSurface(Surface* surface) {
    if (surface && (surface->GetFormat() != kFormatD24S8 || surface->Container())) return kInvalidCall;
    Bind(depth_, surface);
    Command& c = Append(Op::kSetDepthStencilSurface);
    if (surface) {
        c.a[0] = surface->Width();
        c.a[1] = surface->Height();
        c.a[2] = surface->GetFormat();
    }
    return kOk;
}

Result Device::GetDepthStencilSurface(Surface** out) {
    if (!out || !depth_) return kNotFound;
    depth_->AddRef();
    *out = depth_;
    return kOk;
}

Result Device::GetRenderTarget(uint32_t index, Surface** out) {
    if (!out || index >= kMaxRenderTargets || !targets_[index]) return kNotFound;
    targets_[index]->AddRef();
    *out = targets_[index];
    return kOk;
}

Result Device::GetBackBuffer(Surface** out) {
    if (!out || !backBuffer_) return kInvalidCall;
    backBuffer_->AddRef();
    *out = backBuffer_;
    return kOk;
}

Result Device::SetClipPlane(uint32_t index, const float plane[4]) {
    if (index >= kMaxClipPlanes || !plane) return kInvalidCall;
    std::copy(plane, plane + 4, clipPlanes_[index].begin());
    Command& c = Append(Op::kSetClipPlane);
    c.a[0] = index;
    std::copy(plane, plane + 4, c.v);
    return kOk;
}

Result Device::StretchRect(Surface* source, Surface* destination, const Rect* rect) {
    if (!source || !destination || source == destination || source->GetFormat() == kFormatD24S8 ||
        destination->GetFormat() == kFormatD24S8)
        return kInvalidCall;
    Rect r = rect ? *rect
                  : Rect{0, 0, static_cast<int32_t>(destination->Width()), static_cast<int32_t>(destination->Height())};
    if (r.left < 0 || r.top < 0 || r.right <= r.left || r.bottom <= r.top ||
        static_cast<uint32_t>(r.right) > destination->Width() ||
        static_cast<uint32_t>(r.bottom) > destination->Height())
        return kInvalidCall;
    Command& c = Append(Op::kStretchRect);
    c.a[0] = source->Width();
    c.a[1] = source->Height();
    c.a[2] = static_cast<uint32_t>(r.left);
    c.a[3] = static_cast<uint32_t>(r.top);
    c.a[4] = static_cast<uint32_t>(r.right);
    c.a[5] = static_cast<uint32_t>(r.bottom);
    if (lost_) return kOk;
    if (Executor* executor = InstalledExecutor()) {
        executor->StretchRect(*this, *source, *destination, r);
        return kOk;
    }
    const uint32_t w = static_cast<uint32_t>(r.right - r.left), h = static_cast<uint32_t>(r.bottom - r.top);
    const uint32_t from = source->GetFormat(), to = destination->GetFormat();
    const uint32_t sourceBpp = BytesPerPixel(from), destinationBpp = BytesPerPixel(to);
    const bool halfToBytes = from == kFormatA16B16G16R16F && ByteColour(to);
    const auto convert = [&](const uint8_t* in, uint8_t* out) {
        if (from == to) {
            std::memcpy(out, in, sourceBpp);
        } else if (halfToBytes) {
            static const std::vector<uint8_t> toByte = [] {
                std::vector<uint8_t> table(65536);
                for (uint32_t i = 0; i < table.size(); ++i) {
                    const float v = FromHalf(static_cast<uint16_t>(i));
                    table[i] = v > 0.0f ? static_cast<uint8_t>(std::lround(std::min(v, 1.0f) * 255.0f)) : 0;
                }
                return table;
            }();
            uint16_t half[4];
            std::memcpy(half, in, sizeof half);
            const uint32_t word = uint32_t{toByte[half[3]]} << 24 | uint32_t{toByte[half[0]]} << 16 |
                                  uint32_t{toByte[half[1]]} << 8 | toByte[half[2]];
            std::memcpy(out, &word, 4);
        } else {
            destination->EncodeColor(source->DecodePixel(in), out);
        }
    };
    const bool whole = w == destination->Width() && h == destination->Height();
    if (const uint8_t* uniform = source->PendingPixel()) {
        // A source of one colour copied leaves its rectangle one colour: the whole destination
        // then waits as a fill of it, part of one waiting as an area over its fill.
        uint8_t pixel[8] = {};
        convert(uniform, pixel);
        if (whole) {
            destination->SetPendingPixel(pixel);
            return kOk;
        }
        if (destination->AddPendingArea(r, pixel)) return kOk;
    }
    source->WritePendingFill();
    // A copy over the whole destination replaces its pending fill; a partial one keeps the rest.
    if (whole)
        destination->DropPendingFill();
    else
        destination->WritePendingFill();
    // Source columns in 16.16 fixed point: exact when the sizes match.
    const uint64_t step = (uint64_t{source->Width()} << 16) / w;
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t sy = static_cast<uint32_t>(uint64_t{y} * source->Height() / h);
        const uint8_t* sourceRow = source->bits_.data() + static_cast<size_t>(sy) * source->Pitch();
        uint8_t* destinationRow = destination->bits_.data() +
                                  static_cast<size_t>(r.top + static_cast<int32_t>(y)) * destination->Pitch() +
                                  static_cast<size_t>(r.left) * destinationBpp;
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t sx = static_cast<uint32_t>((x * step) >> 16);
            convert(sourceRow + static_cast<size_t>(sx) * sourceBpp,
                    destinationRow + static_cast<size_t>(x) * destinationBpp);
        }
    }
    destination->Touch();
    return kOk;
}

void Device::Execute(const Command& draw) const {
    if (lost_) return;
    if (Executor* executor = InstalledExecutor()) executor->Draw(*this, draw);
}

Result Device::CheckDraw() const {
    if (!inScene_ || !declaration_) return kInvalidCall;
    for (const VertexElement& e : declaration_->Elements())
        if (!streams_[e.stream].buffer) return kInvalidCall;
    return kOk;
}

Result Device::DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) {
    if (Result r = CheckDraw(); Failed(r)) return r;
    Command c;
    c.op = Op::kDrawPrimitive;
    c.a[0] = type;
    c.a[1] = startVertex;
    c.a[2] = primitiveCount;
    Execute(c);
    Record(std::move(c));
    return kOk;
}

Result Device::DrawIndexedPrimitive(uint32_t type, int32_t baseVertex, uint32_t minIndex, uint32_t vertexCount,
                                    uint32_t startIndex, uint32_t primitiveCount) {
    if (Result r = CheckDraw(); Failed(r)) return r;
    if (!indices_) return kInvalidCall;
    const uint32_t indexSize = indices_->GetFormat() == kFormatIndex16 ? 2 : 4;
    const uint32_t perPrimitive = type == kTriangleList ? 3 : (type == kLineList ? 2 : 1);
    const uint64_t indexCount =
        type == kTriangleStrip ? primitiveCount + 2ull : uint64_t{primitiveCount} * perPrimitive;
    if ((startIndex + indexCount) * indexSize > indices_->Length()) return kInvalidCall;
    Command c;
    c.op = Op::kDrawIndexedPrimitive;
    c.a[0] = type;
    c.a[1] = static_cast<uint32_t>(baseVertex);
    c.a[2] = minIndex;
    c.a[3] = vertexCount;
    c.a[4] = startIndex;
    c.a[5] = primitiveCount;
    Execute(c);
    Record(std::move(c));
    return kOk;
}

bool Command::operator==(const Command& o) const {
    return op == o.op && name == o.name && std::equal(a, a + 6, o.a) && std::equal(v, v + 16, o.v);
}

const char* OpName(Op op) {
    static const char* const names[] = {
        "BeginScene",
        "EndScene",
        "Present",
        "Clear",
        "SetRenderState",
        "SetSamplerState",
        "SetTexture",
        "SetStreamSource",
        "SetIndices",
        "SetVertexDeclaration",
        "SetRenderTarget",
        "SetClipPlane",
        "DrawPrimitive",
        "DrawIndexedPrimitive",
        "StretchRect",
        "SetTechnique",
        "BeginEffect",
        "BeginPass",
        "EndPass",
        "EndEffect",
        "SetParameter",
        "DrawText",
        "SetStreamSourceFreq",
        "SetViewport",
        "SetDepthStencilSurface",
    };
    return names[static_cast<size_t>(op)];
}

}  // namespace platform::gfx
