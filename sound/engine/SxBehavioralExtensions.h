#pragma once
// Functions called once per audio frame (with false) and once at termination (with true),
// last registered first. A function may remove itself while it is being called.
#include "sound/engine/SxTypes.h"

namespace SX {

using SxBehavioralExtension = void (*)(bool lastCall);

namespace SxBehavioralExtensions {
SXRESULT Add(SxBehavioralExtension function);
// SX_Fail when absent; removes the first occurrence.
SXRESULT Remove(SxBehavioralExtension function);
void Call(bool lastCall);
void Clear();
}  // namespace SxBehavioralExtensions

}  // namespace SX
