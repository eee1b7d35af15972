// Automatic streams' throughput beside plain positional reads of the same files (the
// anchor), for one stream, for eight, and the scheduler serving 64 streams at once. The
// files are written once to a temporary folder and stay in the page cache, so the figures
// measure the stream manager's own cost rather than the disk.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/FileIO.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/stream/lowlevel/CSxDefaultIOHookBlocking.h"
#include "sound/stream/manager/SxStreamMgr.h"

namespace {

using namespace SX;

constexpr uint32_t kGranularity = 16 * 1024;

// One stream manager with one device over a folder of files named <id>.med.
class Bed {
public:
    Bed(int files, size_t bytesEach)
        : m_folder(std::filesystem::temp_directory_path() / ("qv_stream_bench_" + std::to_string(getpid()))) {
        std::filesystem::create_directories(m_folder);
        std::string bytes(bytesEach, '\0');
        for (size_t i = 0; i < bytesEach; ++i) bytes[i] = char(i * 2654435761u >> 13);
        for (int i = 0; i < files; ++i) std::ofstream(Path(i), std::ios::binary) << bytes;
        SxMemoryMgrSettings memory;
        memory.maxPools = 8;
        MemoryMgr::Init(&memory);
        SxStreamMgrSettings settings;
        settings.memorySize = 4 << 20;
        StreamMgr::Create(settings);
        SxDeviceSettings device;
        device.granularity = kGranularity;
        device.ioMemorySize = 128 * kGranularity;
        device.poolAttributes = SxMemPool_Heap;
        m_hook.Init(device, false);
        const std::string base = m_folder.string() + "/";
        m_hook.SetBasePath(std::wstring(base.begin(), base.end()).c_str());
    }
    ~Bed() {
        m_hook.Term();
        ISxStreamMgr::m_pStreamMgr->Destroy();
        MemoryMgr::Term();
        std::filesystem::remove_all(m_folder);
    }
    std::string Path(int i) const { return (m_folder / (std::to_string(i) + ".med")).string(); }
    ISxAutoStream* Open(int i) {
        SxFileSystemFlags flags;
        flags.codecID = 1;
        SxAutoStmHeuristics heuristics;
        heuristics.throughput = 1e6f;  // as fast as it comes: keep the target high
        ISxAutoStream* stream = nullptr;
        ISxStreamMgr::m_pStreamMgr->CreateAuto(uint32_t(i), &flags, heuristics, nullptr, stream, true);
        return stream;
    }

private:
    std::filesystem::path m_folder;
    CSxDefaultIOHookBlocking m_hook;
};

// Every stream read to its end, the client taking buffers from each in turn without waiting.
void BM_AutoStreams(benchmark::State& state) {
    const int count = int(state.range(0));
    const size_t bytesEach = size_t(state.range(1));
    Bed bed(count, bytesEach);
    uint64_t checksum = 0;
    for (auto _ : state) {
        std::vector<ISxAutoStream*> streams;
        for (int i = 0; i < count; ++i) {
            streams.push_back(bed.Open(i));
            if (!streams.back()) {
                state.SkipWithError("stream refused");
                return;
            }
            streams.back()->Start();
        }
        int open = count;
        while (open > 0) {
            for (ISxAutoStream*& stream : streams) {
                if (!stream) continue;
                void* data;
                uint32_t size;
                const SXRESULT result = stream->NextBuffer(data, size, count == 1);
                if (size) {
                    checksum += static_cast<uint8_t*>(data)[size - 1];
                    stream->ReturnBuffer();
                }
                if (result == SX_NoMoreData || result == SX_Fail) {
                    stream->Destroy();
                    stream = nullptr;
                    --open;
                }
            }
        }
    }
    benchmark::DoNotOptimize(checksum);
    state.SetBytesProcessed(int64_t(state.iterations()) * count * int64_t(bytesEach));
}

// The anchor: the same files read with positional reads of one granularity each.
void BM_PlainReads(benchmark::State& state) {
    const int count = int(state.range(0));
    const size_t bytesEach = size_t(state.range(1));
    Bed bed(count, bytesEach);
    std::vector<char> buffer(kGranularity);
    uint64_t checksum = 0;
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) {
            platform::FileOpenStatus status;
            auto file = platform::File::Open(bed.Path(i), platform::FileAccess::Read, status);
            size_t done = 0;
            for (uint64_t at = 0; at < bytesEach; at += done) {
                if (!file->ReadAt(at, buffer.data(), buffer.size(), done) || done == 0) break;
                checksum += uint8_t(buffer[done - 1]);
            }
        }
    }
    benchmark::DoNotOptimize(checksum);
    state.SetBytesProcessed(int64_t(state.iterations()) * count * int64_t(bytesEach));
}

}  // namespace

BENCHMARK(BM_AutoStreams)
    ->Args({1, 8 << 20})
    ->Args({8, 1 << 20})
    ->Args({64, 256 << 10})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReads)
    ->Args({1, 8 << 20})
    ->Args({8, 1 << 20})
    ->Args({64, 256 << 10})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
