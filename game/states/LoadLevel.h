#pragma once
// The loading screen: preloads the art named by the texture, material and model manifests a
// few entries per frame, animates three dots meanwhile, and then moves on to its next state.
#include <functional>
#include <string>
#include <vector>

#include "game/states/FadingLevel.h"

namespace QV {

class LoadLevel : public FadingLevel {
public:
    LoadLevel() : FadingLevel(1.0) {}

    enum Step { kTextures = 0, kMaterials = 1, kModels = 2, kLoaded = 3 };

    void Load() override;
    // Finishes the set-up after loading once every list has been loaded.
    void Unload() override;
    void Update(float dt) override;

    void SetNextLevel(const std::string& name) { next_ = name; }
    const std::string& GetNextLevel() const { return next_; }
    int GetStep() const { return step_; }
    // How many of the three dots are lit.
    static int DotCount();

private:
    // False once the list is exhausted; a lost device keeps the index for another try.
    static bool LoadNext(const std::vector<std::string>& list, size_t& index,
                         const std::function<int(const std::string&)>& loader);
    void StepDots(float dt);

    std::string next_;
    std::vector<std::string> textures_, models_, materials_;
    size_t texture_ = 0, model_ = 0, material_ = 0;
    int step_ = kTextures;
    bool started_ = false;
};

}  // namespace QV
