#pragma once
// Makes the source node of a playback instance from its source record.
namespace SX {

class CSxPBI;
class CSxVPLSrcNode;

// Codec 1 (PCM) and 2 (ADPCM), in memory or streamed, are built in; other codecs come from
// the registered-codec table; a plug-in source gets the plug-in source node. Null for an
// unknown kind or codec, or no memory.
CSxVPLSrcNode* CreateVPLSrcNode(CSxPBI* instance);

}  // namespace SX
