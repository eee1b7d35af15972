#pragma once
// The one stream manager object: its devices (indexed by ID, a destroyed device leaves a slot
// that is reused) and the language-change observers, both kept in the manager's pool.
#include <cstdint>
#include <mutex>

#include "sound/stream/manager/SxStreamMgr.h"

namespace SX::StreamMgr {

class CSxDeviceBase;
class CSxStmTask;

class CSxStreamMgr : public ISxStreamMgr {
public:
    ~CSxStreamMgr() override;

    SXRESULT Destroy() override;
    SXRESULT CreateStd(uint32_t fileID, SxFileSystemFlags* flags, SxOpenMode openMode, ISxStdStream*& stream,
                       bool syncOpen) override;
    SXRESULT CreateStd(const wchar_t* fileName, SxFileSystemFlags* flags, SxOpenMode openMode, ISxStdStream*& stream,
                       bool syncOpen) override;
    SXRESULT CreateAuto(uint32_t fileID, SxFileSystemFlags* flags, const SxAutoStmHeuristics& heuristics,
                        const SxAutoStmBufSettings* bufferSettings, ISxAutoStream*& stream, bool syncOpen) override;
    SXRESULT CreateAuto(const wchar_t* fileName, SxFileSystemFlags* flags, const SxAutoStmHeuristics& heuristics,
                        const SxAutoStmBufSettings* bufferSettings, ISxAutoStream*& stream, bool syncOpen) override;

    uint32_t CreateDevice(const SxDeviceSettings& settings, ISxLowLevelIOHook* hook);
    SXRESULT DestroyDevice(uint32_t deviceID);
    SXRESULT AddObserver(SxLanguageChangeHandler handler, void* cookie);
    void RemoveObserver(void* cookie);
    void NotifyObservers(const wchar_t* language);
    void DeleteReleasedTasks();

private:
    struct Observer {
        SxLanguageChangeHandler handler;
        void* cookie;
    };
    struct Target {
        bool byID;
        uint32_t fileID;
        const wchar_t* name;
    };

    SXRESULT CreateStream(const Target& target, SxFileSystemFlags* flags, SxOpenMode openMode, bool automatic,
                          const SxAutoStmHeuristics* heuristics, const SxAutoStmBufSettings* bufferSettings,
                          void*& stream, bool syncOpen);
    CSxDeviceBase* Device(uint32_t deviceID);
    // Grows a pool array by one element; false when the pool has no room.
    template <typename T>
    bool Grow(T*& array, uint32_t& count);

    std::mutex m_lockDevices;
    CSxDeviceBase** m_devices = nullptr;
    uint32_t m_numDevices = 0;
    // Devices whose thread did not stop in time; destroyed again when the manager goes.
    CSxDeviceBase** m_abandoned = nullptr;
    uint32_t m_numAbandoned = 0;
    Observer* m_observers = nullptr;
    uint32_t m_numObservers = 0;
};

}  // namespace SX::StreamMgr
