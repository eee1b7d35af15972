#pragma once
// Low-level IO that searches the loaded file packages before the disk: a file found in a
// package is read from inside the package's open file; anything else falls through to the
// plain files of the hook below.
#include <cstdint>
#include <mutex>

#include "sound/stream/lowlevel/CSxDefaultIOHookBlocking.h"
#include "sound/stream/lowlevel/SxWideNames.h"
#include "sound/stream/manager/SxStreamMgr.h"
#include "sound/stream/package/CSxFilePackage.h"

namespace SX {

template <class T_LLIOHOOK, class T_PACKAGE>
class CSxFilePackageLowLevelIO : public T_LLIOHOOK {
public:
    ~CSxFilePackageLowLevelIO() override { UnloadAllPackages(); }

    // Unloads every package and stops listening to language changes before the plain Term.
    void Term() {
        UnloadAllPackages();
        if (m_registeredForLanguage) StreamMgr::RemoveLanguageChangeObserver(this);
        m_registeredForLanguage = false;
        T_LLIOHOOK::Term();
    }

    SXRESULT Open(uint32_t fileID, SxOpenMode openMode, SxFileSystemFlags* flags, bool& syncOpen,
                  SxFileDesc& desc) override {
        if (openMode == SX_OpenModeRead && flags && flags->companyID == SXCOMPANYID_INTERNAL &&
            FindByID(fileID, flags, desc)) {
            syncOpen = true;
            return SX_Success;
        }
        return T_LLIOHOOK::Open(fileID, openMode, flags, syncOpen, desc);
    }

    SXRESULT Open(const wchar_t* fileName, SxOpenMode openMode, SxFileSystemFlags* flags, bool& syncOpen,
                  SxFileDesc& desc) override {
        if (fileName && openMode == SX_OpenModeRead && flags) {
            bool found = false;
            if (flags->companyID == SXCOMPANYID_INTERNAL && flags->codecID == SXCODECID_BANK)
                found = FindByID(StreamMgr::NameID32WithoutExtension(fileName), flags, desc);
            else if (flags->companyID == SXCOMPANYID_EXTERNAL)
                found = FindExternal(StreamMgr::NameID64(fileName), flags, desc);
            if (found) {
                syncOpen = true;
                return SX_Success;
            }
        }
        return T_LLIOHOOK::Open(fileName, openMode, flags, syncOpen, desc);
    }

    // Files inside a package are not closed one by one: the package holds the file.
    SXRESULT Close(SxFileDesc& desc) override {
        if (desc.customParam == 0) return T_LLIOHOOK::Close(desc);
        if (desc.owner) static_cast<CSxFilePackage*>(desc.owner)->Release();
        desc.owner = nullptr;
        return SX_Success;
    }

    uint32_t BlockSize(SxFileDesc& desc) override {
        return desc.customParam ? desc.customParam : T_LLIOHOOK::BlockSize(desc);
    }

    // SX_LanguageNotLoaded when the package lacks the current language (it is loaded all the
    // same); the stream's or the header's failure otherwise.
    virtual SXRESULT LoadPackage(const wchar_t* packageName, uint32_t& packageID, SxMemPoolId pool = SxInvalidPoolId) {
        T_PACKAGE* package = nullptr;
        SXRESULT result = T_PACKAGE::Load(packageName, pool, package);
        if (result != SX_Success) return result;
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_registeredForLanguage) {
            if (StreamMgr::AddLanguageChangeObserver(&CSxFilePackageLowLevelIO::OnLanguageChange, this) != SX_Success) {
                package->Release();
                return SX_Fail;
            }
            m_registeredForLanguage = true;
        }
        wchar_t language[SX_MAX_LANGUAGE_NAME];
        StreamMgr::CopyCurrentLanguage(language);
        const bool found = package->lut.SetCurrentLanguage(language);
        result = !found && language[0] && package->lut.NumLanguages() > 1 ? SX_LanguageNotLoaded : SX_Success;
        package->pNextItem = m_packages;
        m_packages = package;
        ++m_numPackages;
        packageID = package->packageID;
        return result;
    }

    virtual SXRESULT UnloadPackage(uint32_t packageID) {
        T_PACKAGE* package = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            for (CSxFilePackage** link = &m_packages; *link; link = &(*link)->pNextItem) {
                if ((*link)->packageID != packageID) continue;
                package = static_cast<T_PACKAGE*>(*link);
                *link = package->pNextItem;
                --m_numPackages;
                break;
            }
        }
        if (!package) return SX_Fail;
        package->Release();  // streams still reading from it keep it until they close
        return SX_Success;
    }

    virtual SXRESULT UnloadAllPackages() {
        CSxFilePackage* list;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            list = m_packages;
            m_packages = nullptr;
            m_numPackages = 0;
        }
        while (list) {
            CSxFilePackage* next = list->pNextItem;
            list->Release();
            list = next;
        }
        return SX_Success;
    }

    uint32_t NumPackages() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_numPackages;
    }

private:
    static void OnLanguageChange(const wchar_t* language, void* cookie) {
        auto* self = static_cast<CSxFilePackageLowLevelIO*>(cookie);
        std::lock_guard<std::mutex> lock(self->m_lock);
        for (CSxFilePackage* package = self->m_packages; package; package = package->pNextItem)
            package->lut.SetCurrentLanguage(language);
    }

    // The descriptor of a file inside the package; it holds a reference to the package.
    void Describe(T_PACKAGE* package, const SxPackageFileEntry& entry, SxFileDesc& desc) {
        desc = SxFileDesc();
        desc.fileSize = entry.fileSize;
        desc.sector = entry.startBlock;
        desc.customParam = entry.blockSize;
        desc.file = package->File();
        desc.deviceID = this->m_deviceID;
        desc.owner = package;
        package->AddRef();
    }

    // The first package in list order (the last loaded first) that holds the file.
    bool FindByID(uint32_t fileID, const SxFileSystemFlags* flags, SxFileDesc& desc) {
        std::lock_guard<std::mutex> lock(m_lock);
        for (CSxFilePackage* item = m_packages; item; item = item->pNextItem) {
            auto* package = static_cast<T_PACKAGE*>(item);
            const CSxFilePackageLUT& lut = package->lut;
            CSxFilePackageLUT::Table table = CSxFilePackageLUT::StreamTable;
            if (flags->codecID == SXCODECID_BANK && lut.Count(CSxFilePackageLUT::BankTable) > 0)
                table = CSxFilePackageLUT::BankTable;
            const uint32_t language = flags->isLanguageSpecific ? lut.CurrentLanguageID() : 0;
            SxPackageFileEntry entry;
            if (lut.Find(table, fileID, language, entry)) {
                Describe(package, entry, desc);
                return true;
            }
        }
        return false;
    }

    bool FindExternal(uint64_t fileID, const SxFileSystemFlags* flags, SxFileDesc& desc) {
        std::lock_guard<std::mutex> lock(m_lock);
        for (CSxFilePackage* item = m_packages; item; item = item->pNextItem) {
            auto* package = static_cast<T_PACKAGE*>(item);
            const CSxFilePackageLUT& lut = package->lut;
            const uint32_t language = flags->isLanguageSpecific ? lut.CurrentLanguageID() : 0;
            SxPackageFileEntry entry;
            if (lut.Find(CSxFilePackageLUT::ExternalTable, fileID, language, entry)) {
                Describe(package, entry, desc);
                return true;
            }
        }
        return false;
    }

    std::mutex m_lock;
    CSxFilePackage* m_packages = nullptr;  // newest first: searched first
    uint32_t m_numPackages = 0;
    bool m_registeredForLanguage = false;
};

// The game's low-level IO: packages in front of plain files, for one blocking device.
class CSxFilePackageLowLevelIOBlocking : public CSxFilePackageLowLevelIO<CSxDefaultIOHookBlocking, CSxDiskPackage> {};

}  // namespace SX
