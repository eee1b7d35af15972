#pragma once
// The tables of registered plug-ins and codecs: the creation functions of every effect and
// source plug-in by key, and the source creators of every codec. Registration may happen
// while the audio thread creates plug-ins, so both tables are locked.
#include <cstdint>

#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

class CSxPBI;
class CSxVPLSrcNode;

using SxCreateCodecSourceCallback = CSxVPLSrcNode* (*)(CSxPBI* instance);

// ((plug-in ID << 12) + company ID) x 16 + (type & 15): also the form of the effect and source
// IDs that banks give.
constexpr uint32_t SxPluginKey(uint32_t type, uint32_t companyID, uint32_t pluginID) {
    return ((pluginID << 12) + companyID) * 16 + (type & 15);
}

struct SxCodecCreators {
    SxCreateCodecSourceCallback fileSource = nullptr;
    SxCreateCodecSourceCallback bankSource = nullptr;
};

namespace SxPluginTable {

// SX_Fail for a key already registered (the first stays), SX_InvalidParameter for a null function
// (a motion device needs none for parameters).
SXRESULT RegisterPlugin(SxPluginType type, uint32_t companyID, uint32_t pluginID, SxCreatePluginCallback create,
                        SxCreateParamCallback createParam);
SXRESULT RegisterCodec(uint32_t companyID, uint32_t codecID, SxCreateCodecSourceCallback fileSource,
                       SxCreateCodecSourceCallback bankSource);

// SX_Success with the new object; SX_Fail for an unknown key or a creator that returns null.
SXRESULT CreatePlugin(uint32_t key, ISxPluginMemAlloc* allocator, ISxPlugin*& plugin);
SXRESULT CreateParam(uint32_t key, ISxPluginMemAlloc* allocator, ISxPluginParam*& params);
// False for an unknown codec key.
bool FindCodec(uint32_t key, SxCodecCreators& creators);

// At engine termination.
void Clear();

}  // namespace SxPluginTable

namespace SoundEngine {
// The game's registration calls; see SxPluginTable.
inline SXRESULT RegisterPlugin(SxPluginType type, uint32_t companyID, uint32_t pluginID, SxCreatePluginCallback create,
                               SxCreateParamCallback createParam) {
    return SxPluginTable::RegisterPlugin(type, companyID, pluginID, create, createParam);
}
inline SXRESULT RegisterCodec(uint32_t companyID, uint32_t codecID, SxCreateCodecSourceCallback fileSource,
                              SxCreateCodecSourceCallback bankSource) {
    return SxPluginTable::RegisterCodec(companyID, codecID, fileSource, bankSource);
}
}  // namespace SoundEngine
}  // namespace SX
