#pragma once
// Engine-wide facts about the audio thread: the global audio lock held around every audio
// frame (and by other threads while they touch what the frame uses), and the identity of
// the audio thread, so that calls made from it can avoid waiting on itself.
#include "platform/os/Threads.h"

namespace SX {

extern platform::CriticalSection g_csMain;

// Called by the audio thread when it starts and with false when it ends.
void SetCurrentThreadIsAudioThread(bool isAudioThread);
bool IsAudioThread();

}  // namespace SX
