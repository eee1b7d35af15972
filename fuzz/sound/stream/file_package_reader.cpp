// Feeds arbitrary bytes to the file-package reader as a package file: the package is loaded
// through the stream manager, a few files are opened and read from it, and it is unloaded.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/stream/package/CSxFilePackageLowLevelIO.h"

namespace {

struct Setup {
    SX::CSxFilePackageLowLevelIOBlocking io;
    std::string folder = "/tmp/fuzz_file_package_" + std::to_string(getpid()) + "/";
    Setup() {
        SX::SxMemoryMgrSettings memory;
        memory.maxPools = 16;
        SX::MemoryMgr::Init(&memory);
        SX::SxStreamMgrSettings settings;
        settings.memorySize = 1 << 20;
        SX::StreamMgr::Create(settings);
        SX::SxDeviceSettings device;
        device.ioMemorySize = 64 * 1024;
        device.poolAttributes = SX::SxMemPool_Heap;
        io.Init(device);
        io.SetBasePath(std::wstring(folder.begin(), folder.end()).c_str());
        std::system(("mkdir -p " + folder).c_str());
    }
};

uint32_t Word(const uint8_t* data, size_t size, size_t at) {
    uint32_t value = 0;
    if (at + 4 <= size) std::memcpy(&value, data + at, 4);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup setup;
    FILE* file = std::fopen((setup.folder + "fuzz.sxpk").c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    uint32_t id = 0;
    const SX::SXRESULT result = setup.io.LoadPackage(L"fuzz.sxpk", id);
    if (result != SX::SX_Success && result != SX::SX_LanguageNotLoaded) {
        if (setup.io.NumPackages() != 0) __builtin_trap();  // a refused package is never listed
        return 0;
    }
    // The IDs of the first entries of the first table, as banks and as streamed media.
    for (size_t at : {32u, 52u}) {
        for (uint32_t codec : {0u, 1u}) {
            SX::SxFileSystemFlags flags;
            flags.codecID = codec;
            SX::ISxStdStream* stream = nullptr;
            if (SX::ISxStreamMgr::m_pStreamMgr->CreateStd(Word(data, size, at), &flags, SX::SX_OpenModeRead, stream,
                                                          true) != SX::SX_Success)
                continue;
            SX::SxStreamInfo info;
            stream->QueryInfo(info);
            const uint32_t block = stream->GetBlockSize();
            std::vector<char> buffer((std::min<int64_t>(info.size, 1 << 16) / block + 1) * block);
            uint32_t done = 0;
            stream->Read(buffer.data(), uint32_t(buffer.size()), true, 50, 0.0f, done);
            if (done > info.size) __builtin_trap();
            stream->Destroy();
        }
    }
    setup.io.UnloadAllPackages();
    return 0;
}
