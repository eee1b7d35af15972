// qv_samplebanks <description> <output folder>: writes each bank of the description as
// <folder>/<Name>.bnk, through a temporary file renamed into place.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "tools/samplebanks/BankDescription.h"

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
    for (const auto& bank : banks) {
        const std::string path = std::string(argv[2]) + "/" + bank.name + ".bnk";
        const std::string temporary = path + ".tmp";
        const bankwriter::Bytes bytes = bankwriter::WriteBank(bank.file);
        std::ofstream out(temporary, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out || std::rename(temporary.c_str(), path.c_str()) != 0) {
            std::cerr << "cannot write " << path << "\n";
            std::remove(temporary.c_str());
            return 1;
        }
        std::cout << path << ": " << bytes.size() << " bytes\n";
    }
    return 0;
}
