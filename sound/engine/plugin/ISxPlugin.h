#pragma once
// What every effect and source plug-in implements and what the engine hands to it: the
// allocator, the parameter object, the processing object and the two host contexts. All
// calls come from the audio thread.
#include <cstddef>
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/lower/SxAudioBuffer.h"
#include "sound/engine/lower/SxAudioFormat.h"
#include "sound/engine/rtpc/ISxRTPCSubscriber.h"

namespace SX {

class ISxStreamMgr;

enum SxPluginType : uint32_t {
    SxPluginType_None = 0,
    SxPluginType_Codec = 1,
    SxPluginType_Source = 2,
    SxPluginType_Effect = 3,
    SxPluginType_MotionDevice = 4,
    SxPluginType_MotionSource = 5,
};

struct SxPluginInfo {
    uint32_t type = SxPluginType_None;
    uint8_t inPlace = 0;  // every plug-in here processes in place (1)
    uint8_t reserved = 0;
};

class ISxPluginMemAlloc {
public:
    virtual ~ISxPluginMemAlloc() = default;
    // Null when the pool is exhausted.
    virtual void* Malloc(size_t size) = 0;
    virtual void Free(void* pointer) = 0;
};

// A plug-in's parameters as the sound designer set them, kept up to date by game parameters
// (the game-parameter manager reaches SetParam through SetRTPCValue).
class ISxPluginParam : public ISxRTPCSubscriber {
public:
    virtual ~ISxPluginParam() = default;
    // Stores one parameter and sets its change flag; SX_InvalidParameter for an unknown ID.
    virtual SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) = 0;
    // Same class, same values, change flags set; null when the allocator fails.
    virtual ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) = 0;
    // Size 0: the defaults; else SetParamsBlock's result.
    virtual SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) = 0;
    // Destroys the object and gives its memory back to the allocator.
    virtual SXRESULT Term(ISxPluginMemAlloc* allocator) = 0;
    virtual SXRESULT SetParamsBlock(const void* block, uint32_t size) = 0;

    bool IsActiveForRTPC() const override { return true; }
    void SetRTPCValue(uint32_t propertyID, float value, CSxRegisteredObj*) override {
        SetParam(static_cast<int16_t>(propertyID), &value, sizeof value);
    }
};

class ISxPlugin {
public:
    virtual ~ISxPlugin() = default;
    // Frees what Init allocated, destroys the object and frees it through the allocator.
    virtual SXRESULT Term(ISxPluginMemAlloc* allocator) = 0;
    // Clears the DSP history.
    virtual SXRESULT Reset() = 0;
    virtual SXRESULT GetPluginInfo(SxPluginInfo& info) = 0;
};

class ISxEffectPluginContext {
public:
    virtual ~ISxEffectPluginContext() = default;
    // True on an environmental (auxiliary-send) node.
    virtual bool IsSendModeEffect() const = 0;
    virtual ISxStreamMgr* GetStreamMgr() const = 0;
    // The playing ID of the voice's instance; 0 on a bus.
    virtual SxPlayingID GetPlayingID() const = 0;
    virtual uint16_t GetMaxBufferLength() const = 0;
    // Not supported by the engine: SX_Fail.
    virtual SXRESULT PostMonitorData(void* data, uint32_t size) = 0;
    virtual bool CanPostMonitorData() = 0;
    // The plug-in's media of a data index; null and 0 when there is none.
    virtual void GetPluginMedia(uint32_t dataIndex, const uint8_t*& data, uint32_t& size) = 0;
};

class ISxSourcePluginContext {
public:
    virtual ~ISxSourcePluginContext() = default;
    // Loop count of the instance; 0 loops forever.
    virtual uint16_t GetNumLoops() const = 0;
    virtual ISxStreamMgr* GetStreamMgr() const = 0;
    virtual SxPlayingID GetPlayingID() const = 0;
    virtual uint16_t GetMaxBufferLength() const = 0;
};

class ISxEffectPlugin : public ISxPlugin {
public:
    // SX_Success, or SX_InsufficientMemory (the host then terminates the plug-in).
    virtual SXRESULT Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                          SxAudioFormat& format) = 0;
};

class ISxInPlaceEffectPlugin : public ISxEffectPlugin {
public:
    // Processes the buffer's valid frames in place; may change valid frames and state.
    virtual void Execute(SxAudioBuffer* buffer) = 0;
    virtual SXRESULT TimeSkip(uint32_t frames) = 0;
};

class ISxSourcePlugin : public ISxPlugin {
public:
    // May change the format's channel mask.
    virtual SXRESULT Init(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, ISxPluginParam* params,
                          SxAudioFormat& format) = 0;
    // Milliseconds of the whole sound, loops included; 0 when it loops forever.
    virtual float GetDuration() const = 0;
    virtual SXRESULT StopLooping() = 0;
    virtual SXRESULT Seek() = 0;
    // Advances by up to frames without output; 45 more follows, 17 ended, 0 unsupported.
    virtual SXRESULT TimeSkip(uint32_t& frames) = 0;
    virtual void Execute(SxAudioBuffer* buffer) = 0;
};

using SxCreatePluginCallback = ISxPlugin* (*)(ISxPluginMemAlloc* allocator);
using SxCreateParamCallback = ISxPluginParam* (*)(ISxPluginMemAlloc* allocator);

}  // namespace SX
