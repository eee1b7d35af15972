#pragma once
// The source node of a sound whose audio a source plug-in makes (a synth, a generator, the
// sine or the silence): it creates the plug-in with its parameters, runs it into a planar
// buffer each time the pitch node asks, and hands the frames on interleaved.
#include <cstdint>
#include <vector>

#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/engine/voice/CSxVPLSrcNode.h"

namespace SX {

class CSxSourceFXContext;
class ISxEffectObject;

class CSxSrcPhysModel final : public CSxVPLSrcNode {
public:
    // The rate the plug-ins of motion sources run at.
    static constexpr uint32_t kMotionRate = 375;

    explicit CSxSrcPhysModel(CSxPBI* instance) : CSxVPLSrcNode(instance) {}
    ~CSxSrcPhysModel() override { StopSource(); }

    // 1 once the plug-in runs; 2, with nothing left over, when it cannot be made, initialised
    // or reset, or asks for a channel layout that is not played.
    SXRESULT StartSource() override;
    void StopSource() override;
    void GetBuffer(SxNodeBuffer& buffer) override;
    void ReleaseBuffer() override {}
    // The plug-in's own skip; for a plug-in without one, frames made and thrown away.
    SXRESULT TimeSkip(uint32_t& frames) override;
    uint32_t GetDurationMs() const override;
    SXRESULT StopLooping() override;
    // Restarts the plug-in and moves on by the frames.
    SXRESULT Seek(uint32_t frame) override;

    ISxSourcePlugin* Plugin() const { return m_plugin; }
    ISxPluginParam* Params() const { return m_params; }

private:
    SXRESULT CreatePlugin();
    // Runs the plug-in for up to frames frames into the planar buffer: its state, the count
    // made in frames.
    uint32_t Render(uint32_t& frames);

    uint32_t m_key = 0;
    ISxPluginParam* m_params = nullptr;
    ISxSourcePlugin* m_plugin = nullptr;
    CSxSourceFXContext* m_context = nullptr;
    std::vector<float> m_planar;
    std::vector<float> m_interleaved;
    uint8_t m_planarOf[6] = {};  // the planar channel of each interleaved channel
    uint32_t m_channels = 0;
};

}  // namespace SX
