// qv_samplebanks <description> <output folder>: writes each bank of the description as
// <folder>/<Name>.bnk, and each streamed medium as <folder>/Streamed/<ID>.med, each through a
// temporary file renamed into place.
#include <cstdio>
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
            if (!WriteFile(folder + "/Streamed/" + std::to_string(media.id) + ".med", media.bytes)) return 1;
        }
    }
    return 0;
}
