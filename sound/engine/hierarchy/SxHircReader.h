#pragma once
// Reads hierarchy records (the objects of a bank's HIRC chunk) into the object index: the
// state, sound, action, event, actor-mixer, container (random/sequence, switch, layer), bus,
// attenuation and dialogue-event records. Used by the bank reader and by tests.
#include <cstdint>
#include <vector>

#include "sound/engine/SxTypes.h"

namespace SX {

class CSxIndexable;

enum SxHircType : uint8_t {
    SxHirc_State = 1,
    SxHirc_Sound = 2,
    SxHirc_Action = 3,
    SxHirc_Event = 4,
    SxHirc_RanSeq = 5,
    SxHirc_Switch = 6,
    SxHirc_ActorMixer = 7,
    SxHirc_Bus = 8,
    SxHirc_Layer = 9,
    SxHirc_Attenuation = 14,
    SxHirc_Dialogue = 15,
    SxHirc_FeedbackBus = 16,
    SxHirc_FeedbackNode = 17,
    SxHirc_FxShareSet = 18,
    SxHirc_FxCustom = 19,
};

// Reads the records this engine does not know (the music engine's types 10 to 13 among them).
// Installed by the music engine through SetHircObjectHook; null: such records are refused.
class ISxHircObjectReader {
public:
    // The record's type and body and the loading bank's ID; 3 (SX_Refused) when the type is not
    // its own, which skips the record. *object gets what the record made or found, with one
    // reference for the loading bank (null for nothing).
    virtual SXRESULT ReadHircObject(uint8_t type, const uint8_t* body, uint32_t size, SxBankID bank,
                                    CSxIndexable** object) = 0;

protected:
    ~ISxHircObjectReader() = default;
};
void SxSetHircObjectHook(ISxHircObjectReader* reader);
void SxRemoveHircObjectHook(ISxHircObjectReader* reader);

// Whether node records end with a feedback bus ID: the feedback flag of the last bank header
// read, kept from one bank header to the next.
void SxSetNodesCarryFeedbackBus(bool carry);
bool SxNodesCarryFeedbackBus();

// One record body. A new object is made and read under the global audio lock; one already in
// the index is kept as it is. *out gets the object with one reference for the caller (the
// loading bank), or null when the record was skipped. Failures are logged.
SXRESULT SxReadHircObject(uint8_t type, const uint8_t* body, uint32_t size, CSxIndexable** out);

// A whole chunk body: u32 count, then records {u8 type, u32 size, body}. Each object read is
// appended to loaded with its reference; reading stops at the first failure (cut for a count or
// record that runs past the chunk), leaving what was loaded in place for the caller to release.
// Records of types the engine does not read go to the hook, when one is installed.
SXRESULT SxReadHircChunk(const uint8_t* data, uint32_t size, std::vector<CSxIndexable*>& loaded, SxBankID bank = 0,
                         SXRESULT cut = SX_InvalidFile);

}  // namespace SX
