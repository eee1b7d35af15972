#include <gtest/gtest.h>

#include <string>

#include "StreamFixture.h"
#include "platform/os/FileIO.h"

namespace {

using namespace SX;
using sxtest::Wide;

// The hook opens files synchronously here, so every path is looked up at once.
class FileLocationTest : public sxtest::StreamTest {
protected:
    void SetUp() override {
        StreamTest::SetUp();
        ASSERT_EQ(m_hook.Init(DefaultDevice(), false), SX_Success);
    }
    // The size of the file the hook opened, or the failure.
    SXRESULT OpenByID(uint32_t id, SxFileSystemFlags flags, int64_t& size) {
        bool sync = true;
        SxFileDesc desc;
        SXRESULT result = m_hook.Open(id, SX_OpenModeRead, &flags, sync, desc);
        if (result == SX_Success) {
            size = desc.fileSize;
            EXPECT_TRUE(sync);
            EXPECT_EQ(desc.deviceID, m_hook.DeviceID());
            m_hook.Close(desc);
        }
        return result;
    }
};

TEST_F(FileLocationTest, IDsResolveUnderBaseSubPathsAndLanguage) {
    m_tree.Write("Audio/English(US)/1234.bnk", "bank!");
    m_tree.Write("Audio/Streamed/7.med", "media");
    m_tree.Write("Audio/1234.bnk", "no language");
    ASSERT_EQ(m_hook.SetBasePath(Wide(m_tree.Path("Audio") + "\\").c_str()), SX_Success);
    ASSERT_EQ(m_hook.SetAudioSrcPath(L"streamed\\"), SX_Success);
    ASSERT_EQ(StreamMgr::SetCurrentLanguage(L"English(US)"), SX_Success);

    struct Case {
        const char* what;
        uint32_t id;
        uint32_t company, codec;
        bool languageSpecific;
        SXRESULT expected;
        int64_t size;
    };
    const Case cases[] = {
        {"language-specific bank", 1234, 0, 0, true, SX_Success, 5},
        {"bank for every language", 1234, 0, 0, false, SX_Success, 11},
        {"streamed media", 7, 0, 1, false, SX_Success, 5},
        {"external company", 1234, 1, 0, false, SX_Success, 11},
        {"unknown company", 1234, 2, 0, false, SX_Fail, 0},
        {"missing file", 99, 0, 0, false, SX_FileNotFound, 0},
    };
    for (const Case& c : cases) {
        SxFileSystemFlags flags;
        flags.companyID = c.company;
        flags.codecID = c.codec;
        flags.isLanguageSpecific = c.languageSpecific;
        int64_t size = 0;
        EXPECT_EQ(OpenByID(c.id, flags, size), c.expected) << c.what;
        EXPECT_EQ(size, c.size) << c.what;
    }
    bool sync = true;
    SxFileDesc desc;
    EXPECT_EQ(m_hook.Open(1234u, SX_OpenModeRead, nullptr, sync, desc), SX_Fail);  // flags are needed
}

TEST_F(FileLocationTest, NamesResolveUnderTheBasePathOrAsGiven) {
    m_tree.Write("Audio/Banks/Init.bnk", "init");
    m_tree.Write("Audio/French/Voice.bnk", "voix");
    m_tree.Write("Elsewhere/raw.bin", "raw");
    ASSERT_EQ(m_hook.SetBasePath(Wide(m_tree.Path("Audio/")).c_str()), SX_Success);
    ASSERT_EQ(m_hook.SetBankPath(L"Banks/"), SX_Success);
    bool sync = true;
    SxFileDesc desc;
    SxFileSystemFlags bank;
    ASSERT_EQ(m_hook.Open(L"init.BNK", SX_OpenModeRead, &bank, sync, desc), SX_Success);
    EXPECT_EQ(desc.fileSize, 4);
    m_hook.Close(desc);

    ASSERT_EQ(m_hook.SetBankPath(L""), SX_Success);
    ASSERT_EQ(StreamMgr::SetCurrentLanguage(L"French"), SX_Success);
    bank.isLanguageSpecific = true;
    ASSERT_EQ(m_hook.Open(L"Voice.bnk", SX_OpenModeRead, &bank, sync, desc), SX_Success);
    m_hook.Close(desc);

    SxFileSystemFlags raw;
    raw.codecID = SXCODECID_RAW_NAME;
    const std::wstring full = Wide(m_tree.Path("Elsewhere/raw.bin"));
    ASSERT_EQ(m_hook.Open(full.c_str(), SX_OpenModeRead, &raw, sync, desc), SX_Success);
    EXPECT_EQ(desc.fileSize, 3);
    m_hook.Close(desc);

    EXPECT_EQ(m_hook.Open(static_cast<const wchar_t*>(nullptr), SX_OpenModeRead, &bank, sync, desc), SX_Fail);
    EXPECT_EQ(m_hook.Open(std::wstring(260, L'a').c_str(), SX_OpenModeRead, &bank, sync, desc), SX_Fail);
    EXPECT_EQ(m_hook.Open(L"x", static_cast<SxOpenMode>(9), &bank, sync, desc), SX_InvalidParameter);
}

TEST_F(FileLocationTest, PathsThatWouldNotFitAreRefused) {
    ASSERT_EQ(StreamMgr::SetCurrentLanguage(L"English(US)"), SX_Success);
    // 259 minus the language and its separator is the longest base path.
    const std::wstring longest(260 - 1 - 11 - 1, L'a');
    EXPECT_EQ(m_hook.SetBasePath(longest.c_str()), SX_Success);
    EXPECT_EQ(m_hook.SetBasePath((longest + L"a").c_str()), SX_InvalidParameter);
    SxFileSystemFlags flags;
    flags.isLanguageSpecific = true;
    int64_t size;
    EXPECT_EQ(OpenByID(1, flags, size), SX_Fail);  // no room for the file name
}

TEST_F(FileLocationTest, DeferredOpeningLeavesTheDiskAlone) {
    m_hook.Term();
    ASSERT_EQ(m_hook.Init(DefaultDevice(), true), SX_Success);
    EXPECT_EQ(m_hook.GetDeviceData(), 1u);
    bool sync = false;
    SxFileDesc desc;
    SxFileSystemFlags flags;
    EXPECT_EQ(m_hook.Open(555u, SX_OpenModeRead, &flags, sync, desc), SX_Success);  // no such file
    EXPECT_FALSE(sync);
    EXPECT_EQ(desc.fileSize, 0);
    EXPECT_EQ(desc.file, nullptr);
    EXPECT_EQ(desc.deviceID, m_hook.DeviceID());
    SxDeviceSettings lined = DefaultDevice();
    lined.schedulerTypeFlags = SX_SCHEDULER_DEFERRED_LINED_UP;
    sxtest::GatedHook other;
    EXPECT_EQ(other.Init(lined), SX_Fail);
}

}  // namespace
