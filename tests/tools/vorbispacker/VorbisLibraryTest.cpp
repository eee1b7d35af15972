// The codebook library covers what the encoder makes at every rate from 8 to 96 kHz for one
// to six channels and what the system's sound themes hold: every Ogg Vorbis file of the themes
// installed packs as it is and decodes within one step of the standard decoder, and a file
// whose codebooks the library lacks is re-encoded and packed all the same.
#include <dirent.h>

#include <algorithm>
#include <string>

#include "VorbisFixture.h"

namespace {

using namespace vorbistest;
using QV::vorbis::Bytes;

constexpr const char* kThemeDir = "/usr/share/sounds/freedesktop/stereo";

// The Ogg Vorbis files of a folder, with their paths, sorted.
std::vector<std::string> OggFiles(const std::string& folder) {
    std::vector<std::string> paths;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            const std::string ending = name.size() > 4 ? name.substr(name.size() - 4) : "";
            if (ending == ".oga" || ending == ".ogg") paths.push_back(folder + "/" + name);
        }
        closedir(dir);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
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

TEST_F(VorbisLibrary, EveryFileOfTheSoundThemesPacksAsItIsAndDecodesAsTheStandardDecoderDoes) {
    // The freedesktop theme is installed by tools/install-deps.sh; others are taken when present.
    std::vector<std::string> paths = OggFiles(kThemeDir);
    ASSERT_GE(paths.size(), 30u) << kThemeDir << " is installed by tools/install-deps.sh";
    for (const char* other : {"/usr/share/sounds", "/usr/share/sounds/Yaru/stereo"})
        for (const std::string& path : OggFiles(other)) paths.push_back(path);
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        std::vector<unsigned char> file;
        ASSERT_TRUE(SD::ReadWholeFile(path, file));
        Bytes media;
        bool reencoded = false;
        std::string error;
        ASSERT_TRUE(QV::vorbis::PackFile(file, SX::SxVorbisBuiltInLibrary(), {}, media, reencoded, error)) << error;
        EXPECT_FALSE(reencoded) << "its codebooks are in the library";
        Opened opened;
        ASSERT_TRUE(Open(media, opened));
        EXPECT_TRUE(WithinOne(DecodeFrom(opened, 0, 0), Reference(file, opened.format.channels)));
    }
}

TEST_F(VorbisLibrary, AFileWithCodebooksTheLibraryLacksIsReencodedAndPacked) {
    // The library cut before the last codebook one themed file needs: the encoder's codebooks
    // come first, those it no longer makes after them.
    std::vector<unsigned char> themed;
    ASSERT_TRUE(SD::ReadWholeFile(std::string(kThemeDir) + "/service-login.oga", themed));
    QV::vorbis::OggStream stream;
    std::string error;
    ASSERT_TRUE(QV::vorbis::ReadOgg(themed, stream, error)) << error;
    std::vector<Bytes> books;
    ASSERT_TRUE(QV::vorbis::ExtractCodebooks(stream, books, error)) << error;
    const SX::SxVorbisLibrary& full = SX::SxVorbisBuiltInLibrary();
    uint32_t last = 0;
    for (const Bytes& book : books)
        for (uint32_t i = 0; i < full.count; ++i)
            if (Bytes(full.data + full.offsets[i], full.data + full.offsets[i + 1]) == book) last = std::max(last, i);
    const SX::SxVorbisLibrary lacking{full.data, full.offsets, last};
    Bytes media, again;
    bool reencoded = false;
    ASSERT_TRUE(QV::vorbis::PackFile(themed, lacking, {}, media, reencoded, error, &again)) << error;
    EXPECT_TRUE(reencoded);
    Opened opened;
    ASSERT_TRUE(Open(media, opened));
    EXPECT_TRUE(WithinOne(DecodeFrom(opened, 0, 0), Reference(again, opened.format.channels)));
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
