#include "sound/stream/package/CSxFilePackageLUT.h"

#include <cstring>

#include "sound/stream/lowlevel/SxWideNames.h"

namespace SX {

namespace {

uint32_t U32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint64_t U64(const uint8_t* p) { return U32(p) | (uint64_t(U32(p + 4)) << 32); }
char16_t U16(const uint8_t* p) { return char16_t(p[0] | (p[1] << 8)); }

std::string Describe(const char* what, uint64_t offset) {
    return std::string(what) + " (header offset " + std::to_string(offset) + ")";
}

}  // namespace

SxPackageFileEntry CSxFilePackageLUT::Entry(Table table, uint32_t index) const {
    const TableView& view = m_tables[table];
    const uint8_t* p = view.entries + uint64_t(index) * view.entryBytes;
    SxPackageFileEntry entry;
    const bool wide = table == ExternalTable;
    entry.fileID = wide ? U64(p) : U32(p);
    p += wide ? 8 : 4;
    entry.blockSize = U32(p);
    entry.fileSize = U32(p + 4);
    entry.startBlock = U32(p + 8);
    entry.languageID = U32(p + 12);
    return entry;
}

std::u16string CSxFilePackageLUT::LanguageName(uint32_t index) const {
    const uint32_t offset = U32(m_languageMap + 4 + uint64_t(index) * SxPackageFormat::kLanguageEntryBytes);
    std::u16string name;
    for (uint64_t at = offset; at + 1 < m_languageMapBytes; at += 2) {
        const char16_t unit = U16(m_languageMap + at);
        if (!unit) break;
        name += unit;
    }
    return name;
}

bool CSxFilePackageLUT::Setup(const uint8_t* header, uint64_t headerBytes, uint64_t packageFileSize,
                              std::string& error) {
    *this = CSxFilePackageLUT();
    using namespace SxPackageFormat;
    if (headerBytes < kFixedHeaderBytes) {
        error = Describe("header shorter than its fixed part", headerBytes);
        return false;
    }
    if (std::memcmp(header, kTag, 4) != 0) {
        error = Describe("not a file package", 0);
        return false;
    }
    const uint64_t headerTotal = uint64_t(U32(header + 4)) + 8;
    if (headerTotal > headerBytes) {
        error = Describe("header cut short", headerBytes);
        return false;
    }
    if (U32(header + 8) == 0) {
        error = Describe("version 0", 8);
        return false;
    }
    const uint32_t sizes[4] = {U32(header + 12), U32(header + 16), U32(header + 20), U32(header + 24)};
    const uint64_t needed = uint64_t(kFixedHeaderBytes) + sizes[0] + sizes[1] + sizes[2] + sizes[3];
    if (needed > headerTotal) {
        error = Describe("sections larger than the header", 12);
        return false;
    }

    // Language map: count, {name offset, ID} sorted by name, names NUL-terminated in the map.
    uint64_t at = kFixedHeaderBytes;
    CSxFilePackageLUT lut;
    if (sizes[0] > 0) {
        if (sizes[0] < 4 || 4 + uint64_t(U32(header + at)) * kLanguageEntryBytes > sizes[0]) {
            error = Describe("language map entries past the map", at);
            return false;
        }
        lut.m_languageMap = header + at;
        lut.m_languageMapBytes = sizes[0];
        lut.m_numLanguages = U32(header + at);
        std::u16string previous;
        for (uint32_t i = 0; i < lut.m_numLanguages; ++i) {
            const uint64_t entry = at + 4 + uint64_t(i) * kLanguageEntryBytes;
            const uint32_t offset = U32(header + entry);
            bool terminated = false;
            for (uint64_t p = offset; p + 1 < sizes[0]; p += 2)
                if (U16(lut.m_languageMap + p) == 0) {
                    terminated = true;
                    break;
                }
            if (!terminated) {
                error = Describe("language name not ended inside the map", entry);
                return false;
            }
            const std::u16string name = lut.LanguageName(i);
            if (i > 0 && !(previous < name)) {
                error = Describe("language map not sorted by name", entry);
                return false;
            }
            previous = name;
        }
    }
    at += sizes[0];

    // File tables: count, entries sorted by (file ID, language ID), each file inside the package.
    const uint32_t entryBytes[NumTables] = {kFileEntryBytes, kFileEntryBytes, kExternalEntryBytes};
    for (int t = 0; t < NumTables; ++t) {
        const uint32_t size = sizes[t + 1];
        if (size > 0) {
            if (size < 4 || 4 + uint64_t(U32(header + at)) * entryBytes[t] > size) {
                error = Describe("table entries past their table", at);
                return false;
            }
            TableView& view = lut.m_tables[t];
            view.count = U32(header + at);
            view.entries = header + at + 4;
            view.entryBytes = entryBytes[t];
            for (uint32_t i = 0; i < view.count; ++i) {
                const SxPackageFileEntry entry = lut.Entry(static_cast<Table>(t), i);
                const uint64_t where = at + 4 + uint64_t(i) * entryBytes[t];
                if (entry.blockSize == 0) {
                    error = Describe("block size 0", where);
                    return false;
                }
                if (uint64_t(entry.startBlock) * entry.blockSize + entry.fileSize > packageFileSize) {
                    error = Describe("file data past the end of the package", where);
                    return false;
                }
                if (i > 0) {
                    const SxPackageFileEntry before = lut.Entry(static_cast<Table>(t), i - 1);
                    if (before.fileID > entry.fileID ||
                        (before.fileID == entry.fileID && before.languageID >= entry.languageID)) {
                        error = Describe("table not sorted by file and language", where);
                        return false;
                    }
                }
            }
        }
        at += size;
    }
    *this = lut;
    return true;
}

bool CSxFilePackageLUT::Find(Table table, uint64_t fileID, uint32_t languageID, SxPackageFileEntry& entry) const {
    uint32_t low = 0, high = m_tables[table].count;
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        const SxPackageFileEntry candidate = Entry(table, mid);
        if (candidate.fileID == fileID && candidate.languageID == languageID) {
            entry = candidate;
            return true;
        }
        if (candidate.fileID < fileID || (candidate.fileID == fileID && candidate.languageID < languageID))
            low = mid + 1;
        else
            high = mid;
    }
    return false;
}

bool CSxFilePackageLUT::LanguageID(const std::u16string& name, uint16_t& id) const {
    uint32_t low = 0, high = m_numLanguages;
    while (low < high) {
        const uint32_t mid = low + (high - low) / 2;
        const std::u16string candidate = LanguageName(mid);
        if (candidate == name) {
            id = static_cast<uint16_t>(
                U32(m_languageMap + 4 + uint64_t(mid) * SxPackageFormat::kLanguageEntryBytes + 4));
            return true;
        }
        if (candidate < name)
            low = mid + 1;
        else
            high = mid;
    }
    return false;
}

bool CSxFilePackageLUT::SetCurrentLanguage(const wchar_t* language) {
    std::u16string name = StreamMgr::ToCodeUnits(language);
    for (char16_t& unit : name) unit = StreamMgr::LowerAscii(unit);
    uint16_t id = 0;
    const bool found = !name.empty() && LanguageID(name, id);
    m_currentLanguageID = found ? id : 0;
    return found;
}

}  // namespace SX
