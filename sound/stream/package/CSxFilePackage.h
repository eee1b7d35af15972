#pragma once
// A loaded file package: its header and lookup tables in one block of memory, and, for a
// package on disk, the standard stream that holds the package file open. Streams opened
// from the package keep it alive: it goes when it is unloaded and its last file is closed.
#include <atomic>
#include <cstdint>

#include "sound/engine/stream/ISxStreams.h"
#include "sound/stream/package/CSxFilePackageLUT.h"

namespace SX {

template <typename T>
class CSxListAware {
public:
    T* pNextItem = nullptr;
};

class CSxFilePackage : public CSxListAware<CSxFilePackage> {
public:
    CSxFilePackageLUT lut;
    uint32_t packageID = 0;
    uint32_t headerSize = 0;

    void AddRef() { m_refs.fetch_add(1, std::memory_order_relaxed); }
    // The last release destroys the package.
    void Release();

protected:
    virtual ~CSxFilePackage() = default;
    virtual void Destroy() = 0;

    // Where the memory came from, so that it goes back the same way.
    SxMemPoolId m_pool = SxInvalidPoolId;
    void* m_memory = nullptr;
    bool m_ownPool = false;
    bool m_fixedBlock = false;

private:
    std::atomic<int> m_refs{1};
};

class CSxDiskPackage : public CSxFilePackage {
public:
    // Opens the package file through the stream manager and reads and checks its header.
    // SX_Fail, with the reason logged and nothing kept, for a package that cannot be used.
    static SXRESULT Load(const wchar_t* name, SxMemPoolId pool, CSxDiskPackage*& package);

    platform::File* File() const { return m_file; }
    uint32_t BlockSize() const { return m_blockSize; }

protected:
    void Destroy() override;

private:
    ISxStdStream* m_stream = nullptr;
    uint32_t m_blockSize = 1;
    platform::File* m_file = nullptr;
};

}  // namespace SX
