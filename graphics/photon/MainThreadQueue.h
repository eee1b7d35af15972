#pragma once
// Work that a particle update finds it must do but may not do on a worker thread (destroying
// objects, restarting an effect): queued during the update phase, run on the main thread by
// the graphics system once every update of the frame has finished.
#include <functional>

namespace Aperture::Photon {

// Safe from any thread.
void DeferToMainThread(std::function<void()> work);
// Runs and clears the queued work in the order it was queued; main thread only.
void RunDeferredWork();

}  // namespace Aperture::Photon
