#pragma once
// Where the bank reader takes its bytes from: a block of the caller's memory or a file. The
// stream manager backs this interface with its own streams once it is part of the engine.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "sound/engine/SxTypes.h"

namespace SX {

class ISxBankSource {
public:
    virtual ~ISxBankSource() = default;
    // Copies up to size bytes; read gets the count that came (0 at the end).
    virtual SXRESULT Read(void* destination, uint32_t size, uint32_t& read) = 0;
    // Moves past size bytes; false when fewer are left.
    virtual bool Skip(uint32_t size) = 0;
    // The bytes not yet read: every size read from a bank is checked against it before
    // anything is allocated for it.
    virtual uint64_t Remaining() const = 0;
    // The next size bytes where they already lie, advancing past them; null when the source
    // must copy them (a file) or fewer are left.
    virtual const uint8_t* InPlace(uint32_t size) {
        (void)size;
        return nullptr;
    }
    // Whether the bank lies in memory. A source that copies its bytes fails a hierarchy
    // record that runs past the bank as a copy that could not be made (2), not as a cut
    // chunk (7).
    virtual bool InMemory() const { return false; }
};

class SxMemoryBankSource final : public ISxBankSource {
public:
    SxMemoryBankSource(const void* data, uint32_t size) : m_cursor(static_cast<const uint8_t*>(data)), m_left(size) {}
    SXRESULT Read(void* destination, uint32_t size, uint32_t& read) override;
    bool Skip(uint32_t size) override;
    uint64_t Remaining() const override { return m_left; }
    const uint8_t* InPlace(uint32_t size) override;
    bool InMemory() const override { return true; }

private:
    const uint8_t* m_cursor;
    uint32_t m_left;
};

class SxFileBankSource final : public ISxBankSource {
public:
    // Null when the file cannot be opened.
    static std::unique_ptr<SxFileBankSource> Open(const std::string& path);
    ~SxFileBankSource() override;
    SXRESULT Read(void* destination, uint32_t size, uint32_t& read) override;
    bool Skip(uint32_t size) override;
    uint64_t Remaining() const override { return m_size - m_position; }

private:
    SxFileBankSource(std::FILE* file, uint64_t size) : m_file(file), m_size(size) {}
    std::FILE* m_file;
    uint64_t m_size;
    uint64_t m_position = 0;
};

// Opens a bank file by its name ("Init.bnk") or, without a name, by its ID ("<ID>.bnk").
// The default opens files of the bank folder; the sound system installs one that reads through
// the stream manager. A seam (docs/seams.md): while one is installed another is refused; null
// restores the default.
class ISxBankOpener {
public:
    virtual std::unique_ptr<ISxBankSource> OpenBank(const char* name, SxBankID bankID) = 0;

protected:
    ~ISxBankOpener() = default;
};
bool SxSetBankOpener(ISxBankOpener* opener);
// Removes `opener` only if it is the one installed.
void SxRemoveBankOpener(ISxBankOpener* opener);
// The folder the default opener reads from (empty: the working directory).
void SxSetBankFolder(const std::string& folder);
std::unique_ptr<ISxBankSource> SxOpenBank(const char* name, SxBankID bankID);

}  // namespace SX
