// vorbispacker pack <in.ogg> <out.med> [--loop]
//     Packs an Ogg Vorbis file into the sound engine's Vorbis media (looping over the whole
//     file with --loop). A file with codebooks the built-in library lacks is first re-encoded
//     through libvorbis (at quality 4), which the packer says.
// vorbispacker library <out.cpp> <in.ogg>...
//     Writes a codebook library holding the built-in library's codebooks at their indices, then
//     every other distinct codebook of the given files: media packed before stay valid.
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/FileUtil.h"
#include "tools/vorbispacker/VorbisPacker.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: vorbispacker pack <in.ogg> <out.med> [--loop]\n"
                 "       vorbispacker library <out.cpp> <in.ogg>...\n");
    return 2;
}

bool Read(const char* path, std::vector<unsigned char>& bytes) {
    if (SD::ReadWholeFile(path, bytes)) return true;
    std::fprintf(stderr, "vorbispacker: cannot read %s\n", path);
    return false;
}

bool Load(const char* path, QV::vorbis::OggStream& stream) {
    std::vector<unsigned char> bytes;
    std::string error;
    if (!Read(path, bytes)) return false;
    if (!QV::vorbis::ReadOgg(bytes, stream, error)) {
        std::fprintf(stderr, "vorbispacker: %s: %s\n", path, error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace QV::vorbis;
    if (argc < 4) return Usage();
    std::string error;
    if (std::strcmp(argv[1], "pack") == 0) {
        Bytes file;
        if (!Read(argv[2], file)) return 1;
        PackOptions options;
        options.loop = argc > 4 && std::strcmp(argv[4], "--loop") == 0;
        Bytes media;
        bool reencoded = false;
        if (!PackFile(file, SX::SxVorbisBuiltInLibrary(), options, media, reencoded, error)) {
            std::fprintf(stderr, "vorbispacker: %s: %s\n", argv[2], error.c_str());
            return 1;
        }
        if (reencoded)
            std::fprintf(stderr,
                         "vorbispacker: %s: its codebooks are not all in the library; re-encoded through libvorbis "
                         "at quality %.0f before packing\n",
                         argv[2], options.reencodeQuality * 10.0f);
        return SD::WriteWholeFile(argv[3], nullptr, 0, media.data(), media.size()) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "library") == 0) {
        std::vector<Bytes> books = LibraryBooks(SX::SxVorbisBuiltInLibrary());
        std::set<Bytes> seen(books.begin(), books.end());
        for (int i = 3; i < argc; ++i) {
            OggStream stream;
            std::vector<Bytes> found;
            if (!Load(argv[i], stream)) return 1;
            if (!ExtractCodebooks(stream, found, error)) {
                std::fprintf(stderr, "vorbispacker: %s: %s\n", argv[i], error.c_str());
                return 1;
            }
            for (Bytes& book : found)
                if (seen.insert(book).second) books.push_back(std::move(book));
        }
        if (books.size() > 1024) {
            std::fprintf(stderr, "vorbispacker: %zu codebooks; the library holds at most 1024\n", books.size());
            return 1;
        }
        const std::string source = LibrarySource(books);
        std::printf("%zu codebooks\n", books.size());
        return SD::WriteWholeFile(argv[2], nullptr, 0, source.data(), source.size()) ? 0 : 1;
    }
    return Usage();
}
