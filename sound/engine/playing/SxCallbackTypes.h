#pragma once
// What the game receives through an event callback: the notification type and an info
// record that begins with the cookie, the event ID and the playing ID.
#include <cstdint>

namespace SX {

enum SxCallbackType : uint32_t {
    SxCallback_EndOfEvent = 0x1,
    SxCallback_EndOfDynamicSequenceItem = 0x2,
    SxCallback_Marker = 0x4,
    SxCallback_Duration = 0x8,
    SxCallback_SpeakerVolumeMatrix = 0x10,
    SxCallback_MusicNotification = 0x80,
};

// Flags asked for at the post: the callback types above, music notification bits from
// 0x80 up, and a request to keep the play position.
enum : uint32_t {
    SxCallbackFlag_EnableGetSourcePlayPosition = 0x10000,
    // What a record keeps when it has no callback.
    SxCallbackFlag_KeptWithoutCallback = 0xFFFF0000u | SxCallback_Marker,
};

struct SxCallbackInfo {
    void* pCookie;
    uint32_t eventID;
    uint32_t playingID;
};

struct SxEventCallbackInfo : SxCallbackInfo {
    uint32_t gameObj;
};

struct SxDynamicSequenceItemCallbackInfo : SxEventCallbackInfo {
    uint32_t audioNodeID;
    void* pCustomInfo;
};

struct SxMarker {
    uint32_t identifier;
    uint32_t position;  // in samples
    const char* strLabel;
};

struct SxMarkerCallbackInfo : SxEventCallbackInfo {
    SxMarker marker;
};

struct SxDurationCallbackInfo : SxEventCallbackInfo {
    float duration;           // ms
    float estimatedDuration;  // ms
    uint32_t audioNodeID;
};

struct SxSpeakerVolumeMatrixCallbackInfo : SxEventCallbackInfo {
    float* pVolumesDry;  // filled by the mixing code, which may be changed by the callback
    float* pVolumesWet;
    uint32_t inputChannels;
    uint32_t outputChannels;
};

struct SxMusicSyncCallbackInfo : SxCallbackInfo {
    uint32_t syncType;
    float beatDuration;  // seconds
    float barDuration;
    float gridDuration;
    float gridOffset;
    uint32_t frameOffset;  // samples into the audio frame where the sync point falls
};

typedef void (*SxCallbackFunc)(SxCallbackType type, SxCallbackInfo* info);

}  // namespace SX
