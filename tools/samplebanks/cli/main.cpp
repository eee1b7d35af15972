// qv_samplebanks <description> <output folder>: writes each bank of the description as
// <folder>/<Name>.bnk, and each streamed medium as <folder>/Streamed/<ID>.med (<ID>.wav for
// those to be packed as Vorbis), each through a temporary file renamed into place.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "tools/samplebanks/BankDescription.h"

namespace {

bool WriteFile(const std::string& path, const bankwriter::Bytes& bytes) {
    const std::string temporary = path + ".tmp";
    std::ofstream out(temporary, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::cerr << "cannot write " << path << "\n";
        std::remove(temporary.c_str());
        return false;
    }
    std::cout << path << ": " << bytes.size() << " bytes\n";
    return true;
}

// A mono 16-bit medium as a plain WAV file (format tag 1, the data chunk alone), which
// encoders read.
bankwriter::Bytes PlainWav(const bankwriter::Bytes& media) {
    auto u32 = [&media](size_t at) {
        uint32_t v;
        std::memcpy(&v, &media[at], 4);
        return v;
    };
    uint32_t rate = u32(24);
    for (size_t at = 12; at + 8 <= media.size(); at += 8 + ((u32(at + 4) + 1) & ~1u)) {
        if (std::memcmp(&media[at], "data", 4) != 0) continue;
        const uint32_t size = std::min<uint32_t>(u32(at + 4), static_cast<uint32_t>(media.size() - at - 8));
        bankwriter::Writer w;
        w.Raw({'R', 'I', 'F', 'F'}).U32(36 + size).Raw({'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}).U32(16);
        w.U16(1).U16(1).U32(rate).U32(rate * 2).U16(2).U16(16).Raw({'d', 'a', 't', 'a'}).U32(size);
        w.Raw(bankwriter::Bytes(media.begin() + static_cast<long>(at + 8),
                                media.begin() + static_cast<long>(at + 8 + size)));
        return w.Take();
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: qv_samplebanks <description> <output folder>\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "cannot open " << argv[1] << "\n";
        return 1;
    }
    std::vector<samplebanks::NamedBank> banks;
    std::string error;
    if (!samplebanks::ReadDescription(in, banks, error)) {
        std::cerr << argv[1] << ": " << error << "\n";
        return 1;
    }
    const std::string folder = argv[2];
    for (const auto& bank : banks) {
        if (!WriteFile(folder + "/" + bank.name + ".bnk", bankwriter::WriteBank(bank.file))) return 1;
        for (const auto& media : bank.streamed) {
            std::error_code ignored;
            std::filesystem::create_directories(folder + "/Streamed", ignored);
            const bool vorbis = std::find(bank.vorbis.begin(), bank.vorbis.end(), media.id) != bank.vorbis.end();
            const std::string name = std::to_string(media.id) + (vorbis ? ".wav" : ".med");
            if (!WriteFile(folder + "/Streamed/" + name, vorbis ? PlainWav(media.bytes) : media.bytes)) return 1;
        }
    }
    return 0;
}
