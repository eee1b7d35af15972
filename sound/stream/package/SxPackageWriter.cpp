#include "sound/stream/package/SxPackageWriter.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "core/FileUtil.h"
#include "sound/stream/lowlevel/SxWideNames.h"
#include "sound/stream/package/CSxFilePackageLUT.h"

namespace SX {

namespace {

namespace fs = std::filesystem;

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::wstring WideAscii(const std::string& text) { return std::wstring(text.begin(), text.end()); }

bool ParseNumber(const std::string& text, uint64_t& value) {
    if (text.empty() || text.size() > 10 || !std::all_of(text.begin(), text.end(), ::isdigit)) return false;
    value = std::stoull(text);
    return value <= 0xFFFFFFFFull;
}

bool Classify(const fs::path& file, const std::string& language, SxPackageInput& input, std::string& error) {
    const std::string name = file.filename().string();
    if (!std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        error = "file name not in plain ASCII: " + name;
        return false;
    }
    const std::string stem = file.stem().string();
    std::string extension = file.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    input.language = language;
    input.path = file.string();
    uint64_t number = 0;
    if (extension == ".bnk") {
        input.kind = SxPackageInput::Bank;
        input.fileID =
            ParseNumber(stem, number) ? number : StreamMgr::NameID32WithoutExtension(WideAscii(name).c_str());
    } else if (extension == ".med" && ParseNumber(stem, number)) {
        input.kind = SxPackageInput::Streamed;
        input.fileID = number;
    } else {
        input.kind = SxPackageInput::External;
        input.fileID = StreamMgr::NameID64(WideAscii(name).c_str());
    }
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return text;
}

}  // namespace

bool CollectPackageFolder(const std::string& folder, std::vector<SxPackageInput>& files, std::string& error) {
    std::error_code ec;
    std::vector<fs::path> entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) entries.push_back(entry.path());
    if (ec) {
        error = "cannot list " + folder;
        return false;
    }
    std::sort(entries.begin(), entries.end());
    for (const fs::path& path : entries) {
        if (fs::is_directory(path)) {
            std::vector<fs::path> inner;
            for (const fs::directory_entry& entry : fs::directory_iterator(path, ec)) inner.push_back(entry.path());
            std::sort(inner.begin(), inner.end());
            for (const fs::path& file : inner) {
                if (fs::is_directory(file)) {
                    error = "folders inside a language folder are not packed: " + file.string();
                    return false;
                }
                SxPackageInput input;
                if (!Classify(file, Lower(path.filename().string()), input, error)) return false;
                files.push_back(input);
            }
        } else {
            SxPackageInput input;
            if (!Classify(path, "", input, error)) return false;
            files.push_back(input);
        }
    }
    return true;
}

bool WritePackage(const std::vector<SxPackageInput>& files, uint32_t blockSize, const std::string& output,
                  std::string& error) {
    if (blockSize == 0 || (blockSize & (blockSize - 1)) != 0) {
        error = "block size must be a power of two";
        return false;
    }
    // Language IDs from 1 in the order of the names.
    std::map<std::string, uint32_t> languages;
    for (const SxPackageInput& file : files)
        if (!file.language.empty()) languages[Lower(file.language)] = 0;
    uint32_t nextLanguage = 1;
    for (auto& language : languages) language.second = nextLanguage++;

    struct Placed {
        SxPackageInput input;
        uint32_t languageID;
        std::vector<unsigned char> bytes;
    };
    std::vector<Placed> placed;
    for (const SxPackageInput& file : files) {
        Placed item{file, file.language.empty() ? 0 : languages[Lower(file.language)], {}};
        if (!SD::ReadWholeFile(file.path, item.bytes)) {
            error = "cannot read " + file.path;
            return false;
        }
        placed.push_back(std::move(item));
    }
    std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        if (a.input.kind != b.input.kind) return a.input.kind < b.input.kind;
        if (a.input.fileID != b.input.fileID) return a.input.fileID < b.input.fileID;
        return a.languageID < b.languageID;
    });
    for (size_t i = 1; i < placed.size(); ++i) {
        if (placed[i].input.kind == placed[i - 1].input.kind && placed[i].input.fileID == placed[i - 1].input.fileID &&
            placed[i].languageID == placed[i - 1].languageID) {
            error = "two files with one ID and language: " + placed[i - 1].input.path + " and " + placed[i].input.path;
            return false;
        }
    }

    // Language map: entries, then the names as 16-bit units, padded to 4 bytes.
    std::vector<uint8_t> map;
    if (!languages.empty()) {
        PutU32(map, static_cast<uint32_t>(languages.size()));
        uint32_t nameOffset = 4 + static_cast<uint32_t>(languages.size()) * SxPackageFormat::kLanguageEntryBytes;
        std::vector<uint8_t> names;
        for (const auto& language : languages) {
            PutU32(map, nameOffset + static_cast<uint32_t>(names.size()));
            PutU32(map, language.second);
            for (char c : language.first) {
                names.push_back(static_cast<uint8_t>(c));
                names.push_back(0);
            }
            names.push_back(0);
            names.push_back(0);
        }
        map.insert(map.end(), names.begin(), names.end());
        while (map.size() % 4) map.push_back(0);
    }

    uint32_t counts[3] = {};
    for (const Placed& item : placed) ++counts[item.input.kind];
    const uint32_t entryBytes[3] = {SxPackageFormat::kFileEntryBytes, SxPackageFormat::kFileEntryBytes,
                                    SxPackageFormat::kExternalEntryBytes};
    uint32_t tableSizes[3];
    for (int t = 0; t < 3; ++t) tableSizes[t] = counts[t] ? 4 + counts[t] * entryBytes[t] : 0;
    const uint64_t headerTotal =
        SxPackageFormat::kFixedHeaderBytes + map.size() + tableSizes[0] + tableSizes[1] + tableSizes[2];

    std::vector<uint8_t> header(SxPackageFormat::kTag, SxPackageFormat::kTag + 4);
    PutU32(header, static_cast<uint32_t>(headerTotal - 8));
    PutU32(header, 1);  // version
    PutU32(header, static_cast<uint32_t>(map.size()));
    for (uint32_t size : tableSizes) PutU32(header, size);
    header.insert(header.end(), map.begin(), map.end());

    std::vector<uint8_t> body;
    uint64_t offset = (headerTotal + blockSize - 1) / blockSize * blockSize;
    body.resize(offset - headerTotal);
    for (int t = 0; t < 3; ++t) {
        if (!counts[t]) continue;
        PutU32(header, counts[t]);
        for (const Placed& item : placed) {
            if (item.input.kind != t) continue;
            if (item.bytes.size() > 0xFFFFFFFFull || offset / blockSize > 0xFFFFFFFFull) {
                error = "package larger than its tables can address";
                return false;
            }
            PutU32(header, static_cast<uint32_t>(item.input.fileID));
            if (t == SxPackageInput::External) PutU32(header, static_cast<uint32_t>(item.input.fileID >> 32));
            PutU32(header, blockSize);
            PutU32(header, static_cast<uint32_t>(item.bytes.size()));
            PutU32(header, static_cast<uint32_t>(offset / blockSize));
            PutU32(header, item.languageID);
            body.insert(body.end(), item.bytes.begin(), item.bytes.end());
            offset += item.bytes.size();
            const uint64_t aligned = (offset + blockSize - 1) / blockSize * blockSize;
            body.resize(body.size() + (aligned - offset));
            offset = aligned;
        }
    }
    if (!SD::WriteWholeFile(output, header.data(), header.size(), body.data(), body.size())) {
        error = "cannot write " + output;
        return false;
    }
    return true;
}

}  // namespace SX
