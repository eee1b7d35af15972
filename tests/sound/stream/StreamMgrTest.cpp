#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StreamFixture.h"

namespace {

using namespace SX;
using sxtest::StreamTest;

TEST(StreamMgrCreate, NeedsTheMemoryManagerAndIsMadeOnce) {
    SxStreamMgrSettings settings;
    StreamMgr::GetDefaultSettings(settings);
    EXPECT_EQ(settings.memorySize, 0x10000u);
    EXPECT_EQ(StreamMgr::Create(settings), nullptr);  // no memory manager yet
    sxtest::TestMemory memory;
    ISxStreamMgr* first = StreamMgr::Create(settings);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(StreamMgr::Create(settings), first);
    EXPECT_GE(StreamMgr::GetPoolID(), 0);
    EXPECT_EQ(first->Destroy(), SX_Success);
    EXPECT_EQ(StreamMgr::GetPoolID(), SxInvalidPoolId);
    EXPECT_EQ(ISxStreamMgr::m_pStreamMgr, nullptr);
}

TEST(StreamMgrDefaults, DeviceSettings) {
    SxDeviceSettings s;
    StreamMgr::GetDefaultDeviceSettings(s);
    EXPECT_EQ(s.ioMemory, nullptr);
    EXPECT_EQ(s.ioMemorySize, 0x200000u);
    EXPECT_EQ(s.ioMemoryAlignment, 4u);
    EXPECT_EQ(s.poolAttributes, 2u);
    EXPECT_EQ(s.granularity, 0x4000u);
    EXPECT_EQ(s.schedulerTypeFlags, 1u);
    EXPECT_EQ(s.threadProperties.priority, 1);
    EXPECT_EQ(s.threadProperties.affinityMask, 0u);
    EXPECT_EQ(s.threadProperties.stackSize, 0x2000u);
    EXPECT_FLOAT_EQ(s.targetAutoStmBufferLength, 380.0f);
    EXPECT_EQ(s.maxConcurrentIO, 8u);
    EXPECT_FLOAT_EQ(s.maxCacheRatio, 1.0f);
}

TEST_F(StreamTest, LanguageNamesAreCheckedAndObserversCalledLastFirst) {
    struct Case {
        std::wstring name;
        SXRESULT expected;
    };
    const Case cases[] = {
        {std::wstring(31, L'a'), SX_Success},
        {std::wstring(32, L'a'), SX_Fail},
        {L"English/", SX_Fail},
        {L"English\\", SX_Fail},
        {L"", SX_Success},
    };
    for (const Case& c : cases) EXPECT_EQ(StreamMgr::SetCurrentLanguage(c.name.c_str()), c.expected);
    EXPECT_EQ(StreamMgr::SetCurrentLanguage(nullptr), SX_Fail);

    std::vector<std::wstring> calls;
    auto record = [](const wchar_t* language, void* cookie) {
        auto* log = static_cast<std::pair<std::vector<std::wstring>*, const wchar_t*>*>(cookie);
        log->first->push_back(std::wstring(log->second) + L":" + language);
    };
    std::pair<std::vector<std::wstring>*, const wchar_t*> a{&calls, L"a"}, b{&calls, L"b"};
    ASSERT_EQ(StreamMgr::AddLanguageChangeObserver(record, &a), SX_Success);
    ASSERT_EQ(StreamMgr::AddLanguageChangeObserver(record, &b), SX_Success);
    ASSERT_EQ(StreamMgr::SetCurrentLanguage(L"French(France)"), SX_Success);
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"b:French(France)", L"a:French(France)"}));
    EXPECT_EQ(std::wstring(StreamMgr::GetCurrentLanguage()), L"French(France)");
    StreamMgr::RemoveLanguageChangeObserver(&b);
    calls.clear();
    ASSERT_EQ(StreamMgr::SetCurrentLanguage(L"German"), SX_Success);
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"a:German"}));
}

TEST_F(StreamTest, DevicesTakeTheFirstFreeSlotAndBlockingWins) {
    SxDeviceSettings settings = DefaultDevice();
    settings.schedulerTypeFlags = SX_SCHEDULER_BLOCKING | SX_SCHEDULER_DEFERRED_LINED_UP;
    sxtest::GatedHook a, b;
    const uint32_t first = StreamMgr::CreateDevice(settings, &a);
    const uint32_t second = StreamMgr::CreateDevice(settings, &b);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(second, 1u);
    EXPECT_EQ(StreamMgr::DestroyDevice(0), SX_Success);
    EXPECT_EQ(StreamMgr::DestroyDevice(0), SX_InvalidParameter);
    EXPECT_EQ(StreamMgr::DestroyDevice(7), SX_InvalidParameter);
    EXPECT_EQ(StreamMgr::CreateDevice(settings, &a), 0u);

    struct Case {
        const char* what;
        SxDeviceSettings settings;
    };
    std::vector<Case> refused;
    refused.push_back({"granularity 0", settings});
    refused.back().settings.granularity = 0;
    refused.push_back({"negative target length", settings});
    refused.back().settings.targetAutoStmBufferLength = -1.0f;
    refused.push_back({"no scheduler", settings});
    refused.back().settings.schedulerTypeFlags = 0;
    refused.push_back({"deferred lined-up only", settings});
    refused.back().settings.schedulerTypeFlags = SX_SCHEDULER_DEFERRED_LINED_UP;
    for (const Case& c : refused) EXPECT_EQ(StreamMgr::CreateDevice(c.settings, &b), SX_INVALID_DEVICE_ID) << c.what;
    // The refused devices left their slot free.
    EXPECT_EQ(StreamMgr::CreateDevice(settings, &b), 2u);
    for (uint32_t id : {0u, 1u, 2u}) EXPECT_EQ(StreamMgr::DestroyDevice(id), SX_Success);
}

TEST_F(StreamTest, StreamsOfAMissingFileAndBadArgumentsAreRefused) {
    StartDevice(DefaultDevice(), false);
    ISxStdStream* std = nullptr;
    SxFileSystemFlags flags;
    EXPECT_EQ(Mgr()->CreateStd(L"missing.bnk", &flags, SX_OpenModeRead, std, true), SX_FileNotFound);
    EXPECT_EQ(Mgr()->CreateStd(static_cast<const wchar_t*>(nullptr), &flags, SX_OpenModeRead, std, true),
              SX_InvalidParameter);
    ISxAutoStream* autoStm = nullptr;
    SxAutoStmHeuristics heuristics;
    heuristics.priority = 101;
    EXPECT_EQ(Mgr()->CreateAuto(1u, &flags, heuristics, nullptr, autoStm, false), SX_InvalidParameter);
    heuristics.priority = 50;
    heuristics.throughput = -1.0f;
    EXPECT_EQ(Mgr()->CreateAuto(1u, &flags, heuristics, nullptr, autoStm, false), SX_InvalidParameter);
    EXPECT_EQ(std, nullptr);
    EXPECT_EQ(autoStm, nullptr);
}

}  // namespace

namespace {

// When the manager's pool is full, streams released by their clients but not yet deleted by
// the IO thread (it has had no work since) are deleted to make room.
TEST(StreamMemory, ReleasedStreamsMakeRoomForNewOnes) {
    qvtest::TempTree tree;
    sxtest::TestMemory memory;
    tree.Write("Audio/1.bnk", "bank");
    SX::SxStreamMgrSettings settings;
    settings.memorySize = 8192;
    ASSERT_NE(SX::StreamMgr::Create(settings), nullptr);
    sxtest::GatedHook hook;
    SX::SxDeviceSettings device;
    device.ioMemorySize = 0;
    ASSERT_EQ(hook.Init(device, false), SX::SX_Success);
    ASSERT_EQ(hook.SetBasePath(sxtest::Wide(tree.Path("Audio/")).c_str()), SX::SX_Success);
    std::vector<SX::ISxStdStream*> streams;
    SX::SxFileSystemFlags flags;
    for (;;) {
        SX::ISxStdStream* stream = nullptr;
        if (SX::ISxStreamMgr::m_pStreamMgr->CreateStd(1u, &flags, SX::SX_OpenModeRead, stream, true) != SX::SX_Success)
            break;
        streams.push_back(stream);
        ASSERT_LT(streams.size(), 200u);
    }
    ASSERT_GE(streams.size(), 2u);
    streams.back()->Destroy();
    streams.pop_back();
    SX::ISxStdStream* again = nullptr;
    EXPECT_EQ(SX::ISxStreamMgr::m_pStreamMgr->CreateStd(1u, &flags, SX::SX_OpenModeRead, again, true), SX::SX_Success);
    if (again) streams.push_back(again);
    for (SX::ISxStdStream* stream : streams) stream->Destroy();
    hook.Term();
    EXPECT_EQ(SX::ISxStreamMgr::m_pStreamMgr->Destroy(), SX::SX_Success);
}

}  // namespace
