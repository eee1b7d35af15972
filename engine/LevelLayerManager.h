#pragma once
// The system that loads level files and owns them until it shuts down.
#include <memory>
#include <string>
#include <vector>

#include "core/System.h"
#include "platform/TestProbe.h"

namespace SD {

class LevelLayerFile;

class LevelLayerManager : public ISystem {
public:
    LevelLayerManager();
    ~LevelLayerManager() override;
    // The manager that initialised last; null before that and after it is destroyed.
    static LevelLayerManager* GetInstance();

    const char* GetName() const override { return "LevelLayerManager"; }
    // Section "LevelData", whatever section it is handed: "SupportAddingComponentsFromLevelFile".
    void ReadConfig(ConfigFile& config) override;
    void Initialize() override;
    // Unloads and deletes every file.
    void Shutdown() override;
    void Update(float dt) override { (void)dt; }

    // Loads a file into a new entry of the global manager; null (logged) when it fails or
    // there is no manager.
    static LevelLayerFile* LoadLayerFile(const std::string& path);

    bool GetSupportAddingComponentsFromLevelFile() const { return supportAddingComponents_; }

private:
    friend struct platform::TestProbe<LevelLayerManager>;

    bool supportAddingComponents_ = true;
    std::vector<std::unique_ptr<LevelLayerFile>> files_;
};

}  // namespace SD
