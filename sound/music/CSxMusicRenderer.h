#pragma once
// The music engine's one object: its settings and the hook through which banks create the
// music objects of their hierarchy records.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

class CSxIndexable;

class CSxMusicRenderer {
public:
    static SXRESULT Init(float lookAheadScale);
    static void Term();
    static bool IsInitialized();

    // The factor applied to each track's look-ahead as it loads (1.0 without Init).
    static float LookAheadScale();

    // Types 10 (segment), 11 (track), 12 (switch container) and 13 (random/sequence
    // container); 3 for any other type. A node already loaded is kept (a track is re-read
    // in reload mode); *object gets the node with a reference for the loading bank.
    static SXRESULT HircObjectHook(uint8_t type, const uint8_t* body, uint32_t size, SxBankID bank,
                                   CSxIndexable** object);
};

}  // namespace SX
