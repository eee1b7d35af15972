#pragma once
// One loaded level file ("LevelLayers" with its "LevelLayer" children): its layers in file
// order and the path it was last loaded from or saved to.
#include <memory>
#include <string>
#include <vector>

#include "platform/TestProbe.h"

namespace SD {

class LevelLayer;
class SuperialDataMap;

class LevelLayerFile {
public:
    LevelLayerFile();
    // Deletes the layers; their objects are left alive.
    virtual ~LevelLayerFile();
    LevelLayerFile(const LevelLayerFile&) = delete;
    LevelLayerFile& operator=(const LevelLayerFile&) = delete;

    // Creates the layers of the file that this file does not have yet. False (logged) when
    // the file cannot be read; a root other than "LevelLayers" is reported and read anyway.
    bool LoadFromFile(const std::string& path);
    void CreateNonexistentLayersFromDataMap(const SuperialDataMap* map);
    LevelLayer* FindLayer(const std::string& name) const;

    // Write every layer to the stored path, through a temporary file renamed into place.
    // False, logged, and the old file untouched when it cannot be written.
    bool Save();
    bool SaveAs(const std::string& path);

    void DestroyAllObjects();
    // Destroys the objects and deletes the layers.
    void Unload();

    const std::string& GetPath() const { return path_; }

private:
    friend struct platform::TestProbe<LevelLayerFile>;

    std::vector<std::unique_ptr<LevelLayer>> layers_;
    std::string path_;
};

}  // namespace SD
