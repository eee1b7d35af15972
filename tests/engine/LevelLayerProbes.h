#pragma once
// What tests read of the level data: a file's layers in file order, the files the manager
// holds, and the blueprint node a save stream compares against.
#include <memory>
#include <vector>

#include "engine/LevelLayer.h"
#include "engine/LevelLayerFile.h"
#include "engine/LevelLayerManager.h"
#include "engine/LevelLayerSaveStream.h"
#include "platform/TestProbe.h"

template <>
struct platform::TestProbe<SD::LevelLayerFile> {
    static const std::vector<std::unique_ptr<SD::LevelLayer>>& Layers(const SD::LevelLayerFile& file) {
        return file.layers_;
    }
};

template <>
struct platform::TestProbe<SD::LevelLayerManager> {
    static const std::vector<std::unique_ptr<SD::LevelLayerFile>>& Files(const SD::LevelLayerManager& manager) {
        return manager.files_;
    }
};

template <>
struct platform::TestProbe<SD::LevelLayerSaveStream> {
    // The blueprint node matching the current output node, or null.
    static SD::SuperialValue* BlueprintCounterpart(const SD::LevelLayerSaveStream& stream) {
        return stream.counterpart_;
    }
};
