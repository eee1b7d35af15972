// Banks packed into a file package, with no loose bank file beside it: the Manager loads them
// through the stream manager whatever the package's block size, a tone posted from one is heard
// whole, and banks asked for by ID are found in the package (the current language's first).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sound/engine/bank/SxBankCalls.h"
#include "sound/stream/manager/SxStreamMgr.h"
#include "sound/stream/package/SxPackageWriter.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/system/SoundSystemFixture.h"
#include "tests/sound/system/SoundSystemProbes.h"

using namespace soundtest;
namespace control = platform::audio::control;

namespace {

class PackagedBanks : public ManagerFrames {
protected:
    // Init.bnk, Game.bnk and More.bnk for every language and Voice.bnk for French, packed
    // into Audio/Sound.sxpk; the loose banks are removed.
    void Pack(uint32_t blockSize) {
        tree.Write("Packed/Init.bnk", InitBank());
        tree.Write("Packed/Game.bnk", GameBank());
        tree.Write("Packed/More.bnk", GameBank("More"));
        tree.Write("Packed/French/Voice.bnk", GameBank("Voice"));
        std::vector<SX::SxPackageInput> files;
        std::string error;
        ASSERT_TRUE(SX::CollectPackageFolder(tree.Path("Packed"), files, error)) << error;
        ASSERT_TRUE(SX::WritePackage(files, blockSize, tree.Path("Audio/Sound.sxpk"), error)) << error;
        std::remove(tree.Path("Audio/Init.bnk").c_str());
        std::remove(tree.Path("Audio/Game.bnk").c_str());
    }
};

TEST_F(PackagedBanks, LoadWithAnyBlockSizeAndTheirToneIsHeardWhole) {
    // The Game bank (about 48 kB) is no whole number of any of these blocks, and larger than
    // the reader's buffer.
    for (uint32_t blockSize : {1u, 16u, 512u, 2048u}) {
        SCOPED_TRACE(testing::Message() << "block size " << blockSize);
        control::Reset();
        Pack(blockSize);
        SD::Manager manager(Settings("Game.bnk", "Sound.sxpk"));
        manager.Init();
        ASSERT_TRUE(manager.Started());
        EXPECT_TRUE(manager.Failures().empty()) << manager.Failures()[0];
        ASSERT_EQ(qvtest::SoundManagerProbe::LoadedBanks(manager).size(), 2u);
        SX::g_pAudioMgr->StopThread();
        control::StartCapture();
        EXPECT_NE(manager.PostEvent("Play_Tone", 0), 0u);
        RunFrames(manager, 40);
        const Capture capture = TakeCapture();
        control::StopCapture();
        const Heard heard = Listen(capture.left);
        EXPECT_NEAR(double(heard.last - heard.first), double(kToneFrames), 240.0);
        EXPECT_NEAR(heard.frequency, kToneHz, 10.0);
        RestartAudioThread();
        manager.Term();
    }
}

TEST_F(PackagedBanks, LoadByIDFromThePackageTheLanguagesBankFirst) {
    Pack(16);
    SD::Manager manager(Settings("", "Sound.sxpk"));
    manager.Init();
    ASSERT_TRUE(manager.Failures().empty()) << manager.Failures()[0];
    EXPECT_EQ(SX::SoundEngine::LoadBank(ID("More"), SX::SxMemPoolId(-1)), SX::SX_Success) << "a shared bank";
    EXPECT_NE(SX::SoundEngine::LoadBank(ID("Voice"), SX::SxMemPoolId(-1)), SX::SX_Success)
        << "no language is chosen yet";
    ASSERT_EQ(SX::StreamMgr::SetCurrentLanguage(L"French"), SX::SX_Success);
    EXPECT_EQ(SX::SoundEngine::LoadBank(ID("Voice"), SX::SxMemPoolId(-1)), SX::SX_Success) << "a French bank";
    EXPECT_EQ(SX::SoundEngine::LoadBank(ID("Absent"), SX::SxMemPoolId(-1)), SX::SX_FileNotFound);
    SX::StreamMgr::SetCurrentLanguage(L"");
    manager.Term();
}

}  // namespace
