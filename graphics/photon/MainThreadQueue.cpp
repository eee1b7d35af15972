#include "graphics/photon/MainThreadQueue.h"

#include <mutex>
#include <utility>
#include <vector>

namespace Aperture::Photon {
namespace {

std::mutex& QueueMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<std::function<void()>>& Queue() {
    static std::vector<std::function<void()>> queue;
    return queue;
}

}  // namespace

void DeferToMainThread(std::function<void()> work) {
    std::lock_guard<std::mutex> lock(QueueMutex());
    Queue().push_back(std::move(work));
}

void RunDeferredWork() {
    std::vector<std::function<void()>> work;
    {
        std::lock_guard<std::mutex> lock(QueueMutex());
        work.swap(Queue());
    }
    for (auto& w : work) w();
}

}  // namespace Aperture::Photon
