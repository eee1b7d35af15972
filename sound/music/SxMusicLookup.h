#pragma once
// Small look-ups the music contexts share: music nodes in the node table, the value a switch
// container's group has now, times in samples.
#include <cstdint>

namespace SX {

class CSxMusicNode;
class CSxMusicSwitchCntr;
class CSxRegisteredObj;

// The music node of the ID with a reference for the caller; null for none or another kind.
CSxMusicNode* SxFindMusicNode(uint32_t id);
// The current state of a state group, or the game object's value of a switch group.
uint32_t SxCurrentSwitchValue(const CSxMusicSwitchCntr& node, CSxRegisteredObj* gameObj);
// Samples at the output rate, saturated.
int32_t SxMusicMsToSamples(uint32_t ms);

}  // namespace SX
