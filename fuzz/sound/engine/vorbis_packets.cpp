// Feeds arbitrary bytes to the packed Vorbis setup parser and, when the setup decodes, the
// rest to the packet decoder as a final region of {u16 size, bytes} records. Layout of the
// input: channels (1 byte, 1 to 6), the two block-size exponents (1 byte each), the setup's
// size (u16), the setup, then the packets.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/engine/vorbis/SxVorbisDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    const uint32_t channels = data[0] % 6 + 1;
    const uint32_t setupSize = data[3] | data[4] << 8;
    if (setupSize > size - 5) return 0;
    auto setup = std::make_shared<SX::SxVorbisSetup>();
    if (!setup->Parse(data + 5, setupSize, channels, data[1], data[2], SX::SxVorbisBuiltInLibrary())) return 0;
    SX::SxVorbisDecoder decoder;
    if (!decoder.Init(setup, channels)) return 0;
    decoder.Reset(data[1] * 3u, data[2] * 5u);
    const uint8_t* packets = data + 5 + setupSize;
    const uint32_t available = static_cast<uint32_t>(size - 5 - setupSize);
    std::vector<int16_t> out(size_t(1024) * channels);
    uint32_t at = 0;
    for (;;) {
        uint32_t consumed = 0, produced = 0;
        const SX::SXRESULT result =
            decoder.DecodeFrames(packets + at, available - at, true, 0xFFFF, 1024, out.data(), consumed, produced);
        at += consumed;
        if (result != SX::SX_DataReady) break;
    }
    return 0;
}
