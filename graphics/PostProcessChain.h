#pragma once
// The post-processing chain that finishes a frame after its scene is drawn: the glow captured
// from the scene buffer and bloomed over two levels, the depth of field's blur and its mix (which
// adds the bloom), the sprites, the scene in the back buffer's render area and the texts on top.
// The graphics system owns one chain; the chain holds its targets, its three switches of the
// configuration and the effects it draws with, taken when they are filed rather than looked up
// by name each frame.
#include <cstdint>
#include <string>

#include "graphics/DX9Abstract.h"

namespace Aperture {

class Graphics_;

namespace Resource {
class Effect;
class RenderBuffer;
class ResourceManager;
}  // namespace Resource

class PostProcessChain {
public:
    // The glow's blur keeps the engine's blur strength (it passes on about 0.23 of a flat
    // picture); the depth of field's passes a flat picture unchanged.
    enum class BlurKind { kGlow, kNormalised };

    // The frame's buffers the chain works on, which the scene passes filled.
    struct Frame {
        // The drawn scene; the mix may write the finished scene into another buffer, which then
        // takes its place here.
        Resource::RenderBuffer*& scene;
        // The geometry buffer, whose alpha holds the depth the mix reads.
        Resource::RenderBuffer* depth;
        // The wide point sprites at the glow's quarter size, or null when none waits there for
        // the bloom.
        Resource::RenderBuffer* particles;
    };

    PostProcessChain() = default;
    PostProcessChain(const PostProcessChain&) = delete;
    PostProcessChain& operator=(const PostProcessChain&) = delete;

    // "no_post_process" skips the glow and the depth of field; "render_bloom" and
    // "render_depth_of_field" switch each.
    void SetOff(bool off) { this->off = off; }
    bool IsOff() const { return off; }
    void SetBloom(bool on) { bloom = on; }
    bool GetBloom() const { return bloom; }
    void SetDepthOfField(bool on) { depthOfField = on; }
    bool GetDepthOfField() const { return depthOfField; }
    // Whether this frame's bloom runs, and so can carry the wide sprites to the scene.
    bool BloomRuns() const { return bloom && !off; }

    // The targets, made through the manager (which brings them back after a reset), relative
    // to the render size.
    void CreateTargets(Resource::ResourceManager& manager);
    // Takes the effect when the name is one the chain draws with ("blur", "copy", "blend",
    // "DepthOfField"); the graphics system hands over every effect it files.
    void BindEffect(const std::string& name, Resource::Effect* effect);

    // The whole chain on the frame's buffers, through the graphics system's target routines and
    // sprite pass.
    void Run(Graphics_& graphics, const Frame& frame);
    // One pass in both directions, stepping by the source's texels into a destination of its
    // size or of half of it; "added" (a smaller level) is blurred in the same pass and added,
    // with `particles` (of the destination's size) added unblurred when given.
    void Blur(Graphics_& graphics, Resource::RenderBuffer* source, Resource::RenderBuffer* destination, BlurKind kind,
              Resource::RenderBuffer* added = nullptr, Resource::RenderBuffer* particles = nullptr);
    // A technique of "copy" that averages the source over each destination pixel.
    void DownScale(Graphics_& graphics, Resource::RenderBuffer* source, Resource::RenderBuffer* destination,
                   const char* technique);
    void BlendAdditive(Graphics_& graphics, Resource::RenderBuffer* source, RenderTarget* destination);
    // Where the final copy lands in a window area: centred, and clamped to the area when the
    // render size exceeds it.
    static platform::gfx::Rect FinalRectangle(uint32_t renderWidth, uint32_t renderHeight, uint32_t areaWidth,
                                              uint32_t areaHeight);

private:
    // The glow at a quarter of the scene's size (with the waiting sprites), its sixteenth, each
    // level blurred, the quarter's blur adding the sixteenth's.
    void RunBloom(Graphics_& graphics, const Frame& frame);
    // The depth of field's blur and its mix with the bloom added, into the back buffer's render
    // area when it holds the scene (true), else into the work buffer, which becomes the scene.
    bool RunDepthOfField(Graphics_& graphics, const Frame& frame, size_t& firstSprite);
    // The blur of a technique of "blur" from the source into the destination, its kernel set.
    void DrawBlur(Graphics_& graphics, Resource::RenderBuffer* source, Resource::RenderBuffer* destination,
                  BlurKind kind, const char* technique);
    // The depth of field's far field at half size: the scene's blur weighed by its share in the
    // mix by depth around the player's distance, with the bloom added; the share in alpha.
    void BlurFarField(Graphics_& graphics, const Frame& frame);
    // Clears the bars beside a render area smaller than the back buffer.
    static void ClearBars(Graphics_& graphics, const platform::gfx::Rect& area);

    bool off = false;
    bool bloom = true;
    bool depthOfField = true;

    Resource::Effect* blur = nullptr;
    Resource::Effect* copy = nullptr;
    Resource::Effect* blend = nullptr;
    Resource::Effect* mix = nullptr;

    // The depth of field's buffers: the mix's output when the back buffer cannot take it, and the
    // far field.
    Resource::RenderBuffer* dofWork = nullptr;
    Resource::RenderBuffer* dofBlurred = nullptr;
    // The glow's levels and their blurs.
    Resource::RenderBuffer* quarter[2] = {nullptr, nullptr};
    Resource::RenderBuffer* sixteenth[2] = {nullptr, nullptr};
};

}  // namespace Aperture
