#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/audio/OutputDevice.h"
#include "platform/audio/OutputSink.h"
#include "platform/sdl/SdlAudioOutput.h"
#include "support/TempTree.h"
#include "tests/platform/AudioDeviceControl.h"

namespace {

using namespace platform::audio;

// The card is SDL's disk driver: every byte it takes lands in a file, at a real card's pace.
class SdlAudioOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset();
        path_ = tree_.Path("card.raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
    }
    void TearDown() override {
        SetOutputSink(nullptr);
        control::Reset();
    }
    std::vector<uint8_t> CardFile() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    qvtest::TempTree tree_;
    std::string path_;
};

uint8_t StreamByte(uint64_t at) { return static_cast<uint8_t>((at * 37 + at / 251) & 0xFF); }

TEST_F(SdlAudioOutputTest, CardPlaysExactlyTheStreamWrittenAheadOfItsCursor) {
    platform::sdl::SdlAudioOutput card;
    ASSERT_TRUE(card.Ready()) << card.Error();
    SetOutputSink(&card);
    control::StartCapture();
    auto device = OutputDevice::Open();
    ASSERT_TRUE(device);
    const PcmFormat format{48000, 2, 16, 3};
    // Half a second of ring: the refills below stay a quarter second ahead of the card, which
    // a writer held back by a loaded machine still keeps.
    const uint32_t size = 48000 / 2 * format.BlockAlign();
    const uint64_t total = 3 * size + 1234 * format.BlockAlign();
    {
        auto buffer = device->CreateBuffer(format, size);
        ASSERT_TRUE(buffer);
        // A second buffer cannot share the card.
        EXPECT_FALSE(device->CreateBuffer(format, size));

        uint64_t written = 0, played = 0;
        uint32_t lastPlay = 0;
        auto write = [&](uint64_t upTo) {
            while (written < upTo) {
                const uint32_t chunk = static_cast<uint32_t>(std::min<uint64_t>(upTo - written, 4096));
                void *p1, *p2;
                uint32_t n1, n2;
                ASSERT_TRUE(buffer->Lock(static_cast<uint32_t>(written % size), chunk, &p1, &n1, &p2, &n2));
                for (uint32_t i = 0; i < n1; ++i) static_cast<uint8_t*>(p1)[i] = StreamByte(written + i);
                for (uint32_t i = 0; i < n2; ++i) static_cast<uint8_t*>(p2)[i] = StreamByte(written + n1 + i);
                ASSERT_TRUE(buffer->Unlock(p1, n1, p2, n2));
                written += chunk;
            }
        };
        write(size);
        ASSERT_TRUE(buffer->Play());
        // A card that stops taking bytes fails the test instead of hanging it.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (played < written) {
            ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "the card stopped at " << played;
            uint32_t play = 0, lead = 0;
            ASSERT_TRUE(buffer->GetCurrentPosition(play, lead));
            played += (play + size - lastPlay) % size;
            lastPlay = play;
            // Refill what the card has taken, never past the data it still has to play.
            write(std::min<uint64_t>(total, played + size / 2));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        buffer->Stop();
        EXPECT_EQ(written, total);
    }
    EXPECT_EQ(control::LiveBuffers(), 0);
    const std::vector<uint8_t> captured = control::Captured();
    const std::vector<uint8_t> file = CardFile();
    ASSERT_EQ(captured.size(), total);
    // The card plays silence from opening until Play, then exactly the stream.
    const auto start = std::search(file.begin(), file.end(), captured.begin(), captured.begin() + 64);
    ASSERT_NE(start, file.end()) << "the stream never reached the card";
    EXPECT_TRUE(std::all_of(file.begin(), start, [](uint8_t b) { return b == 0; }));
    ASSERT_GE(static_cast<uint64_t>(file.end() - start), total);
    EXPECT_TRUE(std::equal(captured.begin(), captured.end(), start));
}

TEST_F(SdlAudioOutputTest, CardThatCannotOpenRefusesBuffersAndReportsWhy) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    platform::sdl::SdlAudioOutput card;
    EXPECT_FALSE(card.Ready());
    EXPECT_FALSE(card.Probe());
    EXPECT_FALSE(card.Error().empty());
    SetOutputSink(&card);
    auto device = OutputDevice::Open();
    ASSERT_TRUE(device);
    EXPECT_FALSE(device->CreateBuffer(PcmFormat{}, 4800 * 4));
}

}  // namespace
