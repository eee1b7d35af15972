#pragma once
// An effect read from an effect file. Every effect is created into one shared parameter pool,
// so a parameter declared shared holds one value for all effects.
#include <string>

#include "core/FilePath.h"
#include "core/Matrix.h"
#include "core/Vector.h"
#include "graphics/resources/Resource.h"
#include "platform/gfx/Effect.h"

namespace Aperture::Resource {

class iTexture;
class VolumeTexture;

class Effect : public VolatileResource {
public:
    ~Effect() override;

    bool OnLostDevice() override;
    // Reads the file; a file that does not read is logged with the reason and leaves the
    // effect not created.
    bool OnResetDevice() override;
    // Reads the file into a new effect first; on failure the previous one stays in use.
    void Reload() override;

    const std::string& GetName() const { return name; }
    void SetName(const std::string& newName) { name = newName; }
    platform::gfx::Effect* GetEffect() const { return effect; }

    // Parameter setters; each does nothing on an effect that is not created.
    void SetWeights(const float* values, unsigned count);
    void SetOffsets(const SD::Vec4* vectors, unsigned count);
    // Reports a missing "light_info" through the error box.
    void SetLightInfo(const SD::Mtx44* matrices, unsigned count);
    void SetParticleTexture(VolumeTexture* texture);
    void SetHalfTexelOffset(float x, float y);
    void SetVector4(const std::string& parameter, float x, float y, float z, float w);
    // The 16 floats in stored order, not transposed.
    void SetMatrix(const std::string& parameter, const SD::Mtx44& matrix);
    void SetFloat(const std::string& parameter, float value);
    void SetTexture(const std::string& parameter, iTexture* texture);
    void SetInt(const std::string& parameter, int value);
    // Settings made between these two land in a parameter block of the effect (0 when the
    // effect is not created); applying the block makes them again.
    bool BeginParameterBlock();
    uint32_t EndParameterBlock();
    void ApplyParameterBlock(uint32_t block);

    bool SetTechnique(const std::string& technique);
    // The number of passes; 0 when the effect is not created or already begun.
    unsigned Begin();
    void BeginPass(unsigned pass);
    void EndPass();
    void End();

    // The shared pool while any effect exists (null otherwise), and how many effects hold it.
    static platform::gfx::EffectPool* GetPool();
    static unsigned GetPoolCount();

private:
    friend class ResourceManager;
    explicit Effect(const SD::FilePath& file);
    bool Compile(platform::gfx::Effect*& out);

    platform::gfx::Effect* effect = nullptr;
    SD::FilePath file;
    std::string name;
};

}  // namespace Aperture::Resource
