// mediawriter <out> (--sine <Hz> | --wav <in.wav>) [--seconds s] [--rate Hz] [--channels n]
//             [--amplitude a] [--encoding pcm16|float|adpcm] [--loop <start> <end>]
//             [--cue <id> <frame> [label]]...
// Writes one media file of the sound engine from a generated sine or a WAV file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/mediawriter/MediaWriter.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: mediawriter <out> (--sine <Hz> | --wav <in.wav>) [--seconds s] [--rate Hz] [--channels n]\n"
                 "                   [--amplitude a] [--encoding pcm16|float|adpcm] [--loop <start> <end>]\n"
                 "                   [--cue <id> <frame> [label]]...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace QV::media;
    if (argc < 2) return Usage();
    const std::string out = argv[1];
    std::string wav;
    double frequency = 0.0, seconds = 1.0, amplitude = 0.5;
    uint32_t rate = 48000, channels = 1;
    Encoding encoding = Encoding::Pcm16;
    Signal loopAndCues;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* value = nullptr;
        if (arg == "--sine" && (value = next())) {
            frequency = std::atof(value);
        } else if (arg == "--wav" && (value = next())) {
            wav = value;
        } else if (arg == "--seconds" && (value = next())) {
            seconds = std::atof(value);
        } else if (arg == "--rate" && (value = next())) {
            rate = static_cast<uint32_t>(std::atoi(value));
        } else if (arg == "--channels" && (value = next())) {
            channels = static_cast<uint32_t>(std::atoi(value));
        } else if (arg == "--amplitude" && (value = next())) {
            amplitude = std::atof(value);
        } else if (arg == "--encoding" && (value = next())) {
            const std::string e = value;
            if (e == "pcm16")
                encoding = Encoding::Pcm16;
            else if (e == "float")
                encoding = Encoding::Float32;
            else if (e == "adpcm")
                encoding = Encoding::Adpcm;
            else
                return Usage();
        } else if (arg == "--loop" && i + 2 < argc) {
            loopAndCues.loop = true;
            loopAndCues.loopStart = static_cast<uint32_t>(std::atoi(argv[++i]));
            loopAndCues.loopEnd = static_cast<uint32_t>(std::atoi(argv[++i]));
        } else if (arg == "--cue" && i + 2 < argc) {
            Cue cue;
            cue.id = static_cast<uint32_t>(std::atoi(argv[++i]));
            cue.position = static_cast<uint32_t>(std::atoi(argv[++i]));
            if (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0) cue.label = argv[++i];
            loopAndCues.cues.push_back(cue);
        } else {
            return Usage();
        }
    }
    Signal signal;
    if (!wav.empty()) {
        std::string error;
        if (!ReadWav(wav, signal, error)) {
            std::fprintf(stderr, "mediawriter: %s\n", error.c_str());
            return 1;
        }
    } else if (frequency > 0.0 && rate > 0 && DefaultChannelMask(channels) != 0) {
        signal = Sine(frequency, amplitude, static_cast<uint32_t>(seconds * rate), rate, DefaultChannelMask(channels));
    } else {
        return Usage();
    }
    signal.cues = loopAndCues.cues;
    signal.loop = loopAndCues.loop;
    signal.loopStart = loopAndCues.loopStart;
    signal.loopEnd = loopAndCues.loopEnd;
    if (!Write(out, signal, encoding)) {
        std::fprintf(stderr, "mediawriter: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
