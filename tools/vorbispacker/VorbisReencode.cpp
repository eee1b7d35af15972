// Re-encoding through the standard decoder and encoder, for files whose codebooks the
// library lacks (older encoders, unusual settings).
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

#include "tools/vorbispacker/VorbisPacker.h"

namespace QV {
namespace vorbis {

namespace {

// The file in memory as the decoder reads it.
struct MemoryFile {
    const Bytes* bytes;
    size_t at = 0;
};

size_t ReadMemory(void* out, size_t size, size_t count, void* source) {
    auto* file = static_cast<MemoryFile*>(source);
    const size_t wanted = size * count, left = file->bytes->size() - file->at;
    const size_t taken = size ? std::min(wanted, left) / size * size : 0;
    if (taken) std::memcpy(out, file->bytes->data() + file->at, taken);
    file->at += taken;
    return size ? taken / size : 0;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(source);
    const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(file->at) : int64_t(file->bytes->size());
    const int64_t to = base + offset;
    if (to < 0 || to > int64_t(file->bytes->size())) return -1;
    file->at = size_t(to);
    return 0;
}

long TellMemory(void* source) { return long(static_cast<MemoryFile*>(source)->at); }

// The encoder's state, released in every case.
struct Encoder {
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    bool analysing = false;
    Encoder() {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
        ogg_stream_init(&stream, 1);
    }
    ~Encoder() {
        ogg_stream_clear(&stream);
        if (analysing) {
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    void Append(const ogg_page& page, Bytes& out) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    }
    // The packets of every block analysed so far go out in pages.
    void Drain(Bytes& out) {
        ogg_packet packet;
        ogg_page page;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) Append(page, out);
            }
        }
    }
};

}  // namespace

bool Reencode(const Bytes& file, float quality, Bytes& reencoded, std::string& error) {
    reencoded.clear();
    MemoryFile memory{&file};
    OggVorbis_File decoder;
    const ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
    if (ov_open_callbacks(&memory, &decoder, nullptr, 0, callbacks) != 0) {
        error = "the standard decoder cannot open it";
        return false;
    }
    const vorbis_info* source = ov_info(&decoder, 0);
    const int channels = source ? source->channels : 0;
    const long rate = source ? source->rate : 0;
    Encoder encoder;
    if (channels < 1 || channels > 255 || vorbis_encode_init_vbr(&encoder.info, channels, rate, quality) != 0) {
        ov_clear(&decoder);
        error = "the encoder takes no " + std::to_string(channels) + " channels at " + std::to_string(rate) + " Hz";
        return false;
    }
    vorbis_analysis_init(&encoder.dsp, &encoder.info);
    vorbis_block_init(&encoder.dsp, &encoder.block);
    encoder.analysing = true;
    ogg_packet headers[3];
    vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &headers[0], &headers[1], &headers[2]);
    for (ogg_packet& header : headers) ogg_stream_packetin(&encoder.stream, &header);
    ogg_page page;
    // Audio starts on a page of its own.
    while (ogg_stream_flush(&encoder.stream, &page)) encoder.Append(page, reencoded);
    bool ok = true;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long frames = ov_read_float(&decoder, &pcm, 1024, &section);
        if (frames == OV_HOLE) continue;
        if (frames < 0) {
            error = "the standard decoder fails inside the file";
            ok = false;
            break;
        }
        // Only the first logical stream, as the packer reads it.
        if (frames == 0 || section != 0) break;
        float** buffer = vorbis_analysis_buffer(&encoder.dsp, int(frames));
        for (int c = 0; c < channels; ++c) std::memcpy(buffer[c], pcm[c], sizeof(float) * size_t(frames));
        vorbis_analysis_wrote(&encoder.dsp, int(frames));
        encoder.Drain(reencoded);
    }
    ov_clear(&decoder);
    if (!ok) return false;
    vorbis_analysis_wrote(&encoder.dsp, 0);
    encoder.Drain(reencoded);
    while (ogg_stream_flush(&encoder.stream, &page)) encoder.Append(page, reencoded);
    return true;
}

bool PackFile(const Bytes& file, const SX::SxVorbisLibrary& library, const PackOptions& options, Bytes& media,
              bool& reencoded, std::string& error, Bytes* reencodedFile) {
    reencoded = false;
    OggStream stream;
    if (!ReadOgg(file, stream, error)) return false;
    bool missing = false;
    if (Pack(stream, library, options, media, error, &missing)) return true;
    if (!missing) return false;
    Bytes again;
    if (!Reencode(file, options.reencodeQuality, again, error)) return false;
    OggStream second;
    if (!ReadOgg(again, second, error) || !Pack(second, library, options, media, error)) {
        error = "re-encoded, and still: " + error;
        return false;
    }
    reencoded = true;
    if (reencodedFile) *reencodedFile = std::move(again);
    return true;
}

}  // namespace vorbis
}  // namespace QV
