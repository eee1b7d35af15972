#include "sound/engine/SxBehavioralExtensions.h"

#include <algorithm>
#include <vector>

#include "sound/engine/SxAudioThread.h"

namespace SX::SxBehavioralExtensions {

namespace {
std::vector<SxBehavioralExtension>& List() {
    static std::vector<SxBehavioralExtension> list;
    return list;
}
}  // namespace

// The audio frame walks the list under the audio lock; every change takes it too, so a list
// that grows never moves under the walk.
SXRESULT Add(SxBehavioralExtension function) {
    platform::Lock lock(g_csMain);
    List().push_back(function);
    return SX_Success;
}

SXRESULT Remove(SxBehavioralExtension function) {
    platform::Lock lock(g_csMain);
    auto& list = List();
    auto it = std::find(list.begin(), list.end(), function);
    if (it == list.end()) return SX_Fail;
    list.erase(it);
    return SX_Success;
}

void Call(bool lastCall) {
    // By index from the end, so a function that removes itself does not skip the next one.
    platform::Lock lock(g_csMain);
    auto& list = List();
    for (size_t i = list.size(); i-- > 0;) {
        if (i >= list.size()) continue;
        list[i](lastCall);
    }
}

void Clear() {
    platform::Lock lock(g_csMain);
    List().clear();
    List().shrink_to_fit();
}

}  // namespace SX::SxBehavioralExtensions
