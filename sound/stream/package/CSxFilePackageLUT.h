#pragma once
// The lookup tables in a file package's header: the language map and the tables of sound
// banks, streamed files and external files, all checked before any is used.
#include <cstdint>
#include <string>

namespace SX {

// Byte layout of a package header (little-endian).
namespace SxPackageFormat {
constexpr char kTag[4] = {'S', 'X', 'P', 'K'};
constexpr uint32_t kFixedHeaderBytes = 28;    // up to the first section
constexpr uint32_t kLanguageEntryBytes = 8;   // name offset, language ID
constexpr uint32_t kFileEntryBytes = 20;      // file ID, block size, file size, start block, language
constexpr uint32_t kExternalEntryBytes = 24;  // the same with a 64-bit file ID
}  // namespace SxPackageFormat

struct SxPackageFileEntry {
    uint64_t fileID = 0;
    uint32_t blockSize = 0;
    uint32_t fileSize = 0;
    uint32_t startBlock = 0;
    uint32_t languageID = 0;
};

class CSxFilePackageLUT {
public:
    enum Table { BankTable, StreamTable, ExternalTable, NumTables };

    // Checks a whole header (headerBytes read from its first byte, at least the header size
    // it declares) of a package file of the given size: the tag, the sizes of the sections, every table and language name inside its
    // section, tables sorted without duplicates, block sizes not 0 and every file inside the
    // package. False, with what is wrong in error, for anything else; nothing is kept then.
    bool Setup(const uint8_t* header, uint64_t headerBytes, uint64_t packageFileSize, std::string& error);

    uint32_t Count(Table table) const { return m_tables[table].count; }
    SxPackageFileEntry Entry(Table table, uint32_t index) const;
    // Exact match of the file ID and language ID.
    bool Find(Table table, uint64_t fileID, uint32_t languageID, SxPackageFileEntry& entry) const;

    uint32_t NumLanguages() const { return m_numLanguages; }
    // The ID of the language whose name (lower case) equals the given one.
    bool LanguageID(const std::u16string& name, uint16_t& id) const;
    // Sets the current language ID from a language name; false when the map lacks it.
    bool SetCurrentLanguage(const wchar_t* language);
    uint16_t CurrentLanguageID() const { return m_currentLanguageID; }

private:
    struct TableView {
        const uint8_t* entries = nullptr;
        uint32_t count = 0;
        uint32_t entryBytes = 0;
    };
    std::u16string LanguageName(uint32_t index) const;

    const uint8_t* m_languageMap = nullptr;
    uint32_t m_languageMapBytes = 0;
    uint32_t m_numLanguages = 0;
    TableView m_tables[NumTables];
    uint16_t m_currentLanguageID = 0;
};

}  // namespace SX
