#include "sound/engine/bank/SxBankSource.h"

#include <cstring>
#include <mutex>

#include "platform/Seam.h"
#include "platform/os/Files.h"

namespace SX {

namespace {
// Held while a bank opens, so the opener is not removed under it; guards g_folder.
std::mutex g_openerLock;
platform::Seam<ISxBankOpener> g_opener{"SX::ISxBankOpener"};
std::string g_folder;

std::unique_ptr<ISxBankSource> OpenFromFolder(const char* name, SxBankID bankID) {
    std::string path = g_folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += name && *name ? std::string(name) : std::to_string(bankID) + ".bnk";
    return SxFileBankSource::Open(platform::NativePath(path));
}
}  // namespace

SXRESULT SxMemoryBankSource::Read(void* destination, uint32_t size, uint32_t& read) {
    read = size < m_left ? size : m_left;
    std::memcpy(destination, m_cursor, read);
    m_cursor += read;
    m_left -= read;
    return SX_Success;
}

bool SxMemoryBankSource::Skip(uint32_t size) {
    if (size > m_left) return false;
    m_cursor += size;
    m_left -= size;
    return true;
}

const uint8_t* SxMemoryBankSource::InPlace(uint32_t size) {
    if (size > m_left) return nullptr;
    const uint8_t* data = m_cursor;
    m_cursor += size;
    m_left -= size;
    return data;
}

std::unique_ptr<SxFileBankSource> SxFileBankSource::Open(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return nullptr;
    }
    return std::unique_ptr<SxFileBankSource>(new SxFileBankSource(file, static_cast<uint64_t>(size)));
}

SxFileBankSource::~SxFileBankSource() { std::fclose(m_file); }

SXRESULT SxFileBankSource::Read(void* destination, uint32_t size, uint32_t& read) {
    read = static_cast<uint32_t>(std::fread(destination, 1, size, m_file));
    m_position += read;
    return read == size || std::feof(m_file) ? SX_Success : SX_Fail;
}

bool SxFileBankSource::Skip(uint32_t size) {
    if (size > Remaining()) return false;
    if (std::fseek(m_file, static_cast<long>(size), SEEK_CUR) != 0) return false;
    m_position += size;
    return true;
}

bool SxSetBankOpener(ISxBankOpener* opener) {
    std::lock_guard<std::mutex> lock(g_openerLock);
    return g_opener.Install(opener);
}

void SxRemoveBankOpener(ISxBankOpener* opener) {
    std::lock_guard<std::mutex> lock(g_openerLock);
    g_opener.Remove(opener);
}

void SxSetBankFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(g_openerLock);
    g_folder = folder;
}

std::unique_ptr<ISxBankSource> SxOpenBank(const char* name, SxBankID bankID) {
    std::lock_guard<std::mutex> lock(g_openerLock);
    ISxBankOpener* opener = g_opener.Installed();
    return opener ? opener->OpenBank(name, bankID) : OpenFromFolder(name, bankID);
}

}  // namespace SX
