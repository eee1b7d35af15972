#include "sound/engine/voice/CSxSrcFactory.h"

#include <new>

#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/engine/upper/CSxPBI.h"
#include "sound/engine/upper/CSxSource.h"
#include "sound/engine/voice/CSxSrcBankADPCM.h"
#include "sound/engine/voice/CSxSrcBankPCM.h"
#include "sound/engine/voice/CSxSrcFileADPCM.h"
#include "sound/engine/voice/CSxSrcFilePCM.h"
#include "sound/engine/voice/CSxSrcPhysModel.h"

namespace SX {

namespace {
constexpr uint32_t kCodecPCM = 1;
constexpr uint32_t kCodecADPCM = 2;
}  // namespace

CSxVPLSrcNode* CreateVPLSrcNode(CSxPBI* instance) {
    const CSxSource* source = instance ? instance->Source() : nullptr;
    if (!source) return nullptr;
    const uint32_t kind = source->Kind();
    const uint32_t id = source->PluginID();
    if (kind == CSxSource::kKindPlugin) return new (std::nothrow) CSxSrcPhysModel(instance);
    if (kind == 0 || id < 0x10000 || id == 0xFFFFFFFFu) return nullptr;
    const bool inMemory = kind == CSxSource::kKindInMemory;
    const uint32_t codec = id >> 16;
    if (codec == kCodecPCM || codec == kCodecADPCM) {
        if (codec == kCodecPCM) {
            if (inMemory) return new (std::nothrow) CSxSrcBankPCM(instance);
            return new (std::nothrow) CSxSrcFilePCM(instance);
        }
        if (inMemory) return new (std::nothrow) CSxSrcBankADPCM(instance);
        return new (std::nothrow) CSxSrcFileADPCM(instance);
    }
    SxCodecCreators creators;
    if (!SxPluginTable::FindCodec((id & ~15u) | SxPluginType_Codec, creators)) return nullptr;
    // A codec may come without one of its two sources.
    const SxCreateCodecSourceCallback create = inMemory ? creators.bankSource : creators.fileSource;
    return create ? create(instance) : nullptr;
}

}  // namespace SX
