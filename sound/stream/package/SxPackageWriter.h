#pragma once
// Writes file packages: the packaging tool's work, kept here beside the reader so that the
// two share one description of the format.
#include <cstdint>
#include <string>
#include <vector>

namespace SX {

struct SxPackageInput {
    enum Kind { Bank, Streamed, External };
    Kind kind = Bank;
    uint64_t fileID = 0;
    std::string language;  // empty: the file serves every language
    std::string path;      // where its bytes are
};

// The files of a folder as a package holds them. Files at the top serve every language; each
// sub-folder is a language (its name lowered A to Z), holding that language's files.
// "<number>.bnk" is the bank of that ID, "<name>.bnk" the bank of the name's ID,
// "<number>.med" streamed media; any other file is an external file found by its name.
bool CollectPackageFolder(const std::string& folder, std::vector<SxPackageInput>& files, std::string& error);

// Writes the package (replacing the file only once it is whole). Each file starts on a block
// boundary; blockSize must be a power of two no larger than a device's granularity.
bool WritePackage(const std::vector<SxPackageInput>& files, uint32_t blockSize, const std::string& output,
                  std::string& error);

}  // namespace SX
