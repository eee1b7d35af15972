#pragma once
// How the front-end states load art by name: textures, materials and models, and the set-up
// after loading. Each loader answers 0 when done (loaded or passed over) and kDeviceLost when
// the same entry must be tried again; an empty loader passes every entry over.
#include <functional>
#include <string>

namespace QV {

constexpr int kDeviceLost = 3;

struct ArtLoaders {
    std::function<int(const std::string& path)> texture;
    std::function<int(const std::string& path)> material;
    std::function<int(const std::string& path)> model;
    // The physics mesh data of the last model, by file name.
    std::function<void(const std::string& fileName)> physicsMesh;
    std::function<void()> afterLoading;
};

ArtLoaders& GetArtLoaders();

// Runs a loader; 0 for an empty one.
int LoadArt(const std::function<int(const std::string&)>& loader, const std::string& path);

}  // namespace QV
