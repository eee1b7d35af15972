#include "graphics/SceneLists.h"

namespace Aperture {

void SceneLists::AddCamera(Camera* camera) {
    if (!camera->graphicsLink.IsLinked()) cameras.PushBack(camera);
}

void SceneLists::MoveCameraToFront(Camera* camera) {
    if (!camera) return;
    cameras.Remove(camera);
    cameras.PushFront(camera);
}

}  // namespace Aperture
