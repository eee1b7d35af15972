#pragma once
// The leaf that makes a sound: it owns one source. Playing it hands the request to the upper
// renderer; stop, pause, resume, break and seek reach its live instances.
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/upper/CSxSource.h"

namespace SX {

class CSxSound : public CSxSoundBase {
public:
    // Constructed and entered in the node table; null when memory fails.
    static CSxSound* Create(SxUniqueID id);
    using CSxSoundBase::CSxSoundBase;

    // u32 ID, the source description, the common node block.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);

    SxNodeCategory NodeCategory() const override { return SxNodeCategory_Sound; }
    uint32_t IndexableType() const override { return 4; }
    SXRESULT Play(SxPBIParams& params) override;
    SXRESULT ExecuteAction(const SxActionParams& params) override;
    // The source's media.
    SXRESULT PrepareData() override { return m_source.PrepareData(); }
    void UnPrepareData() override { m_source.UnPrepareData(); }

    CSxSource& Source() { return m_source; }

private:
    CSxSource m_source;
};

// Reads a source description into the source. 2 for an unknown plug-in type or stream type.
SXRESULT SxLoadSource(SxReadCursor& cursor, CSxSource& source);

}  // namespace SX
