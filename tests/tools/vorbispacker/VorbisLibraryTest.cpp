// The codebook library covers what the encoder makes at every rate from 8 to 96 kHz for one
// to six channels, and a file whose codebooks it lacks is re-encoded and packed all the same:
// every Ogg Vorbis file of the system's sound theme packs and decodes as the standard decoder
// decodes what was packed.
#include <dirent.h>

#include <algorithm>
#include <string>

#include "VorbisFixture.h"

namespace {

using namespace vorbistest;
using QV::vorbis::Bytes;

constexpr const char* kThemeDir = "/usr/share/sounds/freedesktop/stereo";

std::vector<std::string> ThemeFiles() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(kThemeDir)) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".oga") == 0) names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class VorbisLibrary : public ::testing::Test {
protected:
    qvtest::TempTree tree;
};

TEST_F(VorbisLibrary, CoversEveryRateAndChannelCountTheEncoderMakes) {
    for (uint32_t rate : {8000u, 11025u, 16000u, 22050u, 24000u, 32000u, 44100u, 48000u, 88200u, 96000u})
        for (uint32_t channels = 1; channels <= 6; ++channels)
            for (int quality : {-1, 4, 10}) {
                const std::string what = std::to_string(rate) + " Hz, " + std::to_string(channels) + " channels, q" +
                                         std::to_string(quality);
                const Bytes ogg =
                    Encode(tree, Generate(Kind::Noise, rate / 4, channels, rate), channels, rate, quality);
                QV::vorbis::OggStream stream;
                std::string error;
                ASSERT_TRUE(QV::vorbis::ReadOgg(ogg, stream, error)) << what << ": " << error;
                Bytes media;
                EXPECT_TRUE(QV::vorbis::Pack(stream, SX::SxVorbisBuiltInLibrary(), {}, media, error))
                    << what << ": " << error;
            }
}

TEST_F(VorbisLibrary, EveryFileOfTheSoundThemePacksAndDecodesAsTheStandardDecoderDoes) {
    const std::vector<std::string> names = ThemeFiles();
    ASSERT_GE(names.size(), 30u) << kThemeDir << " is installed by tools/install-deps.sh";
    std::vector<std::string> reencoded;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::vector<unsigned char> file;
        ASSERT_TRUE(SD::ReadWholeFile(std::string(kThemeDir) + "/" + name, file));
        Bytes media, again;
        bool wasReencoded = false;
        std::string error;
        ASSERT_TRUE(QV::vorbis::PackFile(file, SX::SxVorbisBuiltInLibrary(), {}, media, wasReencoded, error, &again))
            << error;
        if (wasReencoded) reencoded.push_back(name);
        Opened opened;
        ASSERT_TRUE(Open(media, opened));
        EXPECT_TRUE(
            WithinOne(DecodeFrom(opened, 0, 0), Reference(wasReencoded ? again : file, opened.format.channels)));
    }
    // Only the files of an older encoder, whose codebooks no longer come out of it.
    EXPECT_EQ(reencoded, (std::vector<std::string>{"service-login.oga", "service-logout.oga"}));
}

TEST_F(VorbisLibrary, ReencodingRefusesWhatTheStandardDecoderCannotRead) {
    std::vector<unsigned char> themed;
    ASSERT_TRUE(SD::ReadWholeFile(std::string(kThemeDir) + "/service-login.oga", themed));
    const Bytes cases[] = {
        {}, Bytes(5000, 0x4F), Bytes(themed.begin(), themed.begin() + 100),  // the first page only
    };
    for (const Bytes& bad : cases) {
        Bytes out = {1, 2, 3}, media;
        std::string error;
        EXPECT_FALSE(QV::vorbis::Reencode(bad, 0.4f, out, error)) << bad.size();
        EXPECT_TRUE(out.empty()) << bad.size();
        EXPECT_FALSE(error.empty()) << bad.size();
        bool reencoded = true;
        EXPECT_FALSE(QV::vorbis::PackFile(bad, SX::SxVorbisBuiltInLibrary(), {}, media, reencoded, error))
            << bad.size();
        EXPECT_FALSE(reencoded) << bad.size();
    }
}

}  // namespace
