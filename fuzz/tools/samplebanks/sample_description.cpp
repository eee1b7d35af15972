// Feeds arbitrary text to the reader of the sample banks' description, then writes every bank it
// read, as the tool does.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "tools/bankwriter/BankFile.h"
#include "tools/samplebanks/BankDescription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Long generated media make slow inputs without reaching more of the reader.
    if (size > 4096) return 0;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<samplebanks::NamedBank> banks;
    std::string error;
    samplebanks::ReadDescription(in, banks, error);
    for (const auto& bank : banks) bankwriter::WriteBank(bank.file);
    return 0;
}
