#include "game/states/ArtLoading.h"

namespace QV {

ArtLoaders& GetArtLoaders() {
    static ArtLoaders loaders;
    return loaders;
}

int LoadArt(const std::function<int(const std::string&)>& loader, const std::string& path) {
    return loader ? loader(path) : 0;
}

}  // namespace QV
