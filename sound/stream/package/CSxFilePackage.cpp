#include "sound/stream/package/CSxFilePackage.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "core/Logger.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/stream/lowlevel/SxWideNames.h"
#include "sound/stream/manager/SxStreamMgr.h"

namespace SX {

namespace {

uint64_t AlignUp(uint64_t value, uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }

// Reads size bytes at the stream's position; the bytes read, or -1 on failure.
int64_t ReadBlocking(ISxStdStream* stream, void* buffer, uint32_t size) {
    uint32_t done = 0;
    if (stream->Read(buffer, size, true, 50, 0.0f, done) != SX_Success) return -1;
    return done;
}

}  // namespace

void CSxFilePackage::Release() {
    if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) Destroy();
}

void CSxDiskPackage::Destroy() {
    if (m_stream) m_stream->Destroy();
    const SxMemPoolId pool = m_pool;
    void* memory = m_memory;
    const bool ownPool = m_ownPool, fixedBlock = m_fixedBlock;
    this->~CSxDiskPackage();
    if (ownPool) {
        MemoryMgr::ReleaseBlock(pool, memory);
        MemoryMgr::DestroyPool(pool);
    } else if (fixedBlock) {
        MemoryMgr::ReleaseBlock(pool, memory);
    } else {
        MemoryMgr::Free(pool, memory);
    }
}

SXRESULT CSxDiskPackage::Load(const wchar_t* name, SxMemPoolId pool, CSxDiskPackage*& package) {
    package = nullptr;
    ISxStreamMgr* manager = ISxStreamMgr::m_pStreamMgr;
    if (!manager) return SX_Fail;
    const std::string printable = StreamMgr::ToUtf8(name);
    SxFileSystemFlags flags;
    flags.codecID = SXCODECID_FILE_PACKAGE;
    ISxStdStream* stream = nullptr;
    SXRESULT result = manager->CreateStd(name, &flags, SX_OpenModeRead, stream, true);
    if (result != SX_Success) return result;
    auto refuse = [&](const char* why) {
        SD_WARNING(Debug::kLogError, "File package %s refused: %s", printable.c_str(), why);
        stream->Destroy();
        return SX_Fail;
    };

    // The first read: the tag and the header size, or one block when blocks do not divide 8.
    const uint32_t blockSize = stream->GetBlockSize();
    const uint32_t firstSize = 8 % blockSize == 0 ? 8 : blockSize;
    std::unique_ptr<uint8_t[]> first(new (std::nothrow) uint8_t[firstSize + blockSize]);
    if (!first) return refuse("no memory for its first block");
    uint8_t* firstBytes = first.get() + (blockSize - reinterpret_cast<uintptr_t>(first.get()) % blockSize) % blockSize;
    const int64_t firstRead = ReadBlocking(stream, firstBytes, firstSize);
    if (firstRead < 8) return refuse("shorter than a package's first 8 bytes");
    if (std::memcmp(firstBytes, SxPackageFormat::kTag, 4) != 0) return refuse("not a file package");
    const uint32_t headerSize =
        firstBytes[4] | (firstBytes[5] << 8) | (firstBytes[6] << 16) | (uint32_t(firstBytes[7]) << 24);
    if (headerSize == 0) return refuse("header size 0");
    SxStreamInfo info;
    stream->QueryInfo(info);
    const uint64_t headerTotal = uint64_t(headerSize) + 8;
    if (headerTotal > uint64_t(info.size)) return refuse("header larger than the file");

    // The header and the package record in one block.
    const uint64_t headerRoom = AlignUp(headerTotal, blockSize);
    const uint64_t recordOffset = AlignUp(headerRoom, alignof(std::max_align_t));
    const uint64_t total = recordOffset + sizeof(CSxDiskPackage);
    if (total > 0xFFFFFFFFull) return refuse("header too large");
    const uint32_t size = static_cast<uint32_t>(total);
    void* memory = nullptr;
    bool ownPool = false, fixedBlock = false;
    if (pool == SxInvalidPoolId) {
        pool = MemoryMgr::CreatePool(nullptr, size, size, SxMemPool_Heap | SxMemPool_FixedBlocks, blockSize);
        ownPool = pool != SxInvalidPoolId;
        memory = ownPool ? MemoryMgr::GetBlock(pool) : nullptr;
    } else if (MemoryMgr::CheckPoolId(pool) == SX_Success) {
        fixedBlock = (MemoryMgr::GetPoolAttributes(pool) & SxMemPool_FixedBlocks) != 0;
        if (fixedBlock)
            memory = MemoryMgr::GetBlockSize(pool) >= size ? MemoryMgr::GetBlock(pool) : nullptr;
        else
            memory = MemoryMgr::Malign(pool, size, blockSize);
    }
    if (!memory) {
        if (ownPool) MemoryMgr::DestroyPool(pool);
        return refuse("no memory for its header");
    }
    auto* header = static_cast<uint8_t*>(memory);
    package = new (header + recordOffset) CSxDiskPackage;
    package->m_pool = pool;
    package->m_memory = memory;
    package->m_ownPool = ownPool;
    package->m_fixedBlock = fixedBlock;
    package->m_stream = stream;
    package->m_blockSize = blockSize;
    package->m_file = stream->GetFileDescriptor()->file;
    package->headerSize = headerSize;
    package->packageID = StreamMgr::NameID32(name);
    auto drop = [&](const char* why) {
        SD_WARNING(Debug::kLogError, "File package %s refused: %s", printable.c_str(), why);
        package->Release();
        package = nullptr;
        return SX_Fail;
    };

    const uint64_t copied = std::min<uint64_t>(uint64_t(firstRead), headerTotal);
    std::memcpy(header, firstBytes, copied);
    if (copied < headerTotal) {
        const uint64_t rest = headerRoom - firstSize;
        const int64_t read = ReadBlocking(stream, header + firstSize, static_cast<uint32_t>(rest));
        if (read < 0 || uint64_t(firstSize) + uint64_t(read) < headerTotal) return drop("header cut short");
    }
    std::string error;
    if (!package->lut.Setup(header, headerTotal, uint64_t(info.size), error)) return drop(error.c_str());
    return SX_Success;
}

}  // namespace SX
