#pragma once
// A stream manager with one blocking device over plain files in a temporary tree, and the
// helpers the streaming tests share: generated file contents and a hook whose reads can be
// held at a gate to catch a transfer in flight.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "sound/engine/SxTestMemory.h"
#include "sound/stream/lowlevel/CSxDefaultIOHookBlocking.h"
#include "sound/stream/manager/SxStreamMgr.h"
#include "support/TempTree.h"

namespace sxtest {

// Bytes that differ at every position, so that a misplaced block shows.
inline std::string FileBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = static_cast<char>(x);
    }
    return bytes;
}

// Equal bytes, or where they first differ (the streams are too long to print).
inline ::testing::AssertionResult SameBytes(const std::string& got, const std::string& expected) {
    size_t i = 0;
    while (i < got.size() && i < expected.size() && got[i] == expected[i]) ++i;
    if (i == got.size() && i == expected.size()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "sizes " << got.size() << " and " << expected.size()
                                         << ", first difference at byte " << i;
}

inline std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Reads pass a gate that tests may close; a block size may be imposed.
class GatedHook : public SX::CSxDefaultIOHookBlocking {
public:
    SX::SXRESULT Read(SX::SxFileDesc& desc, const SX::SxIoHeuristics& heuristics, void* buffer,
                      SX::SxIOTransferInfo& info) override {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            ++m_entered;
            m_buffers.push_back(buffer);
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return m_open; });
        }
        return CSxDefaultIOHookBlocking::Read(desc, heuristics, buffer, info);
    }
    uint32_t BlockSize(SX::SxFileDesc& desc) override {
        return m_blockSize ? m_blockSize : CSxDefaultIOHookBlocking::BlockSize(desc);
    }
    void CloseGate() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = false;
    }
    void OpenGate() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    // Waits until the IO thread has entered Read at least count times in all.
    void WaitForReads(int count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_entered >= count; });
    }
    int Reads() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_entered;
    }
    // The buffers read into, in the order of the transfers.
    std::vector<void*> Buffers() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_buffers;
    }
    uint32_t m_blockSize = 0;

private:
    std::vector<void*> m_buffers;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = true;
    int m_entered = 0;
};

class StreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        SX::SxStreamMgrSettings settings;
        settings.memorySize = 1 << 20;
        ASSERT_NE(SX::StreamMgr::Create(settings), nullptr);
    }
    void TearDown() override {
        m_hook.Term();
        if (SX::ISxStreamMgr::m_pStreamMgr) SX::ISxStreamMgr::m_pStreamMgr->Destroy();
    }
    // Starts the device; files live under <root>/Audio.
    void StartDevice(SX::SxDeviceSettings settings = DefaultDevice(), bool deferredOpen = true) {
        ASSERT_EQ(m_hook.Init(settings, deferredOpen), SX::SX_Success);
        ASSERT_EQ(m_hook.SetBasePath(Wide(m_tree.Path("Audio/")).c_str()), SX::SX_Success);
    }
    static SX::SxDeviceSettings DefaultDevice() {
        SX::SxDeviceSettings settings;
        SX::StreamMgr::GetDefaultDeviceSettings(settings);
        settings.ioMemorySize = 256 * 1024;
        settings.granularity = 16 * 1024;
        settings.poolAttributes = SX::SxMemPool_Heap;
        return settings;
    }
    SX::ISxStreamMgr* Mgr() { return SX::ISxStreamMgr::m_pStreamMgr; }

    // Reads an automatic stream to its end, giving every buffer back.
    static std::string ReadAll(SX::ISxAutoStream* stream) {
        std::string got;
        for (;;) {
            void* data = nullptr;
            uint32_t size = 0;
            SX::SXRESULT result = stream->NextBuffer(data, size, true);
            if (size) {
                got.append(static_cast<char*>(data), size);
                EXPECT_EQ(stream->ReturnBuffer(), SX::SX_Success);
            }
            if (result != SX::SX_DataReady) {
                EXPECT_EQ(result, SX::SX_NoMoreData);
                return got;
            }
        }
    }

    qvtest::TempTree m_tree;
    TestMemory m_memory;
    GatedHook m_hook;
};

}  // namespace sxtest
