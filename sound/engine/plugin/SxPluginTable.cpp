#include "sound/engine/plugin/SxPluginTable.h"

#include <mutex>
#include <vector>

namespace SX::SxPluginTable {

namespace {

struct PluginEntry {
    uint32_t key;
    SxCreatePluginCallback create;
    SxCreateParamCallback createParam;
};

struct CodecEntry {
    uint32_t key;
    SxCodecCreators creators;
};

std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}
std::vector<PluginEntry>& Plugins() {
    static std::vector<PluginEntry> plugins;
    return plugins;
}
std::vector<CodecEntry>& Codecs() {
    static std::vector<CodecEntry> codecs;
    return codecs;
}

const PluginEntry* FindPlugin(uint32_t key) {
    for (const PluginEntry& entry : Plugins())
        if (entry.key == key) return &entry;
    return nullptr;
}

}  // namespace

SXRESULT RegisterPlugin(SxPluginType type, uint32_t companyID, uint32_t pluginID, SxCreatePluginCallback create,
                        SxCreateParamCallback createParam) {
    const uint32_t key = SxPluginKey(type, companyID, pluginID);
    std::lock_guard<std::mutex> guard(Lock());
    if (FindPlugin(key)) return SX_Fail;
    // Motion devices have no parameter object.
    if (!create || (!createParam && type != SxPluginType_MotionDevice)) return SX_InvalidParameter;
    Plugins().push_back({key, create, createParam});
    return SX_Success;
}

SXRESULT RegisterCodec(uint32_t companyID, uint32_t codecID, SxCreateCodecSourceCallback fileSource,
                       SxCreateCodecSourceCallback bankSource) {
    const uint32_t key = SxPluginKey(SxPluginType_Codec, companyID, codecID);
    std::lock_guard<std::mutex> guard(Lock());
    for (const CodecEntry& entry : Codecs())
        if (entry.key == key) return SX_Fail;
    if (!fileSource || !bankSource) return SX_InvalidParameter;
    Codecs().push_back({key, {fileSource, bankSource}});
    return SX_Success;
}

SXRESULT CreatePlugin(uint32_t key, ISxPluginMemAlloc* allocator, ISxPlugin*& plugin) {
    SxCreatePluginCallback create = nullptr;
    {
        std::lock_guard<std::mutex> guard(Lock());
        if (const PluginEntry* entry = FindPlugin(key)) create = entry->create;
    }
    plugin = create ? create(allocator) : nullptr;
    return plugin ? SX_Success : SX_Fail;
}

SXRESULT CreateParam(uint32_t key, ISxPluginMemAlloc* allocator, ISxPluginParam*& params) {
    SxCreateParamCallback create = nullptr;
    {
        std::lock_guard<std::mutex> guard(Lock());
        if (const PluginEntry* entry = FindPlugin(key)) create = entry->createParam;
    }
    params = create ? create(allocator) : nullptr;
    return params ? SX_Success : SX_Fail;
}

bool FindCodec(uint32_t key, SxCodecCreators& creators) {
    std::lock_guard<std::mutex> guard(Lock());
    for (const CodecEntry& entry : Codecs())
        if (entry.key == key) {
            creators = entry.creators;
            return true;
        }
    return false;
}

void Clear() {
    std::lock_guard<std::mutex> guard(Lock());
    Plugins().clear();
    Plugins().shrink_to_fit();
    Codecs().clear();
    Codecs().shrink_to_fit();
}

}  // namespace SX::SxPluginTable
