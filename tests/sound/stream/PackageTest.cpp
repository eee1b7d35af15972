#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "StreamFixture.h"
#include "core/Logger.h"
#include "sound/stream/package/CSxFilePackageLowLevelIO.h"
#include "sound/stream/package/SxPackageWriter.h"

namespace {

using namespace SX;
using sxtest::FileBytes;
using sxtest::SameBytes;
using sxtest::Wide;

class PackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        SxStreamMgrSettings settings;
        settings.memorySize = 1 << 20;
        ASSERT_NE(StreamMgr::Create(settings), nullptr);
        SxDeviceSettings device;
        device.ioMemorySize = 256 * 1024;
        device.poolAttributes = SxMemPool_Heap;
        ASSERT_EQ(m_io.Init(device), SX_Success);
        ASSERT_EQ(m_io.SetBasePath(Wide(m_tree.Path("Audio/")).c_str()), SX_Success);
    }
    void TearDown() override {
        m_io.Term();
        ISxStreamMgr::m_pStreamMgr->Destroy();
    }
    // Packs Pack/<name> files into Audio/<package> with the packaging tool's writer.
    void Pack(const std::string& package, uint32_t blockSize = 16) {
        std::vector<SxPackageInput> files;
        std::string error;
        ASSERT_TRUE(CollectPackageFolder(m_tree.Path("Pack"), files, error)) << error;
        std::filesystem::create_directories(m_tree.Path("Audio"));
        ASSERT_TRUE(WritePackage(files, blockSize, m_tree.Path("Audio/" + package), error)) << error;
    }
    std::string ReadStd(ISxStdStream* stream) {
        SxStreamInfo info;
        stream->QueryInfo(info);
        // Whole blocks are asked for; the read stops at the end of the file.
        const uint32_t block = stream->GetBlockSize();
        std::string bytes((size_t(info.size) + block - 1) / block * block, '\0');
        uint32_t size = 0;
        EXPECT_EQ(stream->Read(&bytes[0], uint32_t(bytes.size()), true, 50, 0.0f, size), SX_Success);
        bytes.resize(size);
        return bytes;
    }
    std::string ReadBank(uint32_t id, bool languageSpecific = false) {
        SxFileSystemFlags flags;
        flags.isLanguageSpecific = languageSpecific;
        ISxStdStream* stream = nullptr;
        if (ISxStreamMgr::m_pStreamMgr->CreateStd(id, &flags, SX_OpenModeRead, stream, true) != SX_Success)
            return "<none>";
        std::string bytes = ReadStd(stream);
        stream->Destroy();
        return bytes;
    }
    ISxAutoStream* OpenMedia(uint32_t id) {
        SxFileSystemFlags flags;
        flags.codecID = 1;
        SxAutoStmHeuristics heuristics;
        heuristics.throughput = 100.0f;
        ISxAutoStream* stream = nullptr;
        EXPECT_EQ(ISxStreamMgr::m_pStreamMgr->CreateAuto(id, &flags, heuristics, nullptr, stream, false), SX_Success);
        return stream;
    }

    qvtest::TempTree m_tree;
    sxtest::TestMemory m_memory;
    CSxFilePackageLowLevelIOBlocking m_io;
};

std::string ReadAuto(ISxAutoStream* stream) {
    std::string got;
    EXPECT_EQ(stream->Start(), SX_Success);
    for (;;) {
        void* data = nullptr;
        uint32_t size = 0;
        SXRESULT result = stream->NextBuffer(data, size, true);
        got.append(static_cast<char*>(data), size);
        if (size) stream->ReturnBuffer();
        if (result != SX_DataReady) return got;
    }
}

TEST_F(PackageTest, FilesReadThroughAPackageEqualTheLooseFiles) {
    const std::string bank = FileBytes(50000, 1), media = FileBytes(300000, 2);
    m_tree.Write("Pack/1234.bnk", bank);
    m_tree.Write("Pack/7.med", media);
    Pack("game.sxpk", 2048);
    // The same files loose, under other IDs.
    m_tree.Write("Audio/4321.bnk", bank);
    m_tree.Write("Audio/8.med", media);
    uint32_t id = 0;
    ASSERT_EQ(m_io.LoadPackage(L"game.sxpk", id), SX_Success);
    EXPECT_EQ(id, StreamMgr::NameID32(L"game.sxpk"));

    EXPECT_TRUE(SameBytes(ReadBank(1234), bank));
    EXPECT_TRUE(SameBytes(ReadBank(4321), bank));
    ISxAutoStream* packed = OpenMedia(7);
    ISxAutoStream* loose = OpenMedia(8);
    ASSERT_TRUE(packed && loose);
    EXPECT_EQ(packed->GetBlockSize(), 2048u);
    EXPECT_TRUE(SameBytes(ReadAuto(packed), media));
    EXPECT_TRUE(SameBytes(ReadAuto(loose), media));
    packed->Destroy();
    loose->Destroy();
}

TEST_F(PackageTest, LanguagesNamesAndOrderOfPackages) {
    m_tree.Write("Pack/English(US)/55.bnk", "hello");
    m_tree.Write("Pack/French(France)/55.bnk", "bonjour");
    m_tree.Write("Pack/Music.bnk", "music!");
    m_tree.Write("Pack/Readme.txt", "external");
    m_tree.Write("Pack/9.bnk", "first");
    Pack("a.sxpk");
    std::filesystem::remove_all(m_tree.Path("Pack"));
    m_tree.Write("Pack/9.bnk", "second");
    m_tree.Write("Pack/Spanish/1.bnk", "uno");
    Pack("b.sxpk");

    ASSERT_EQ(StreamMgr::SetCurrentLanguage(L"French(France)"), SX_Success);
    uint32_t a = 0, b = 0;
    ASSERT_EQ(m_io.LoadPackage(L"a.sxpk", a), SX_Success);
    // A one-language package loads even when it lacks the current language.
    ASSERT_EQ(m_io.LoadPackage(L"b.sxpk", b), SX_Success);
    EXPECT_EQ(ReadBank(9), "second");  // the last loaded is searched first
    EXPECT_EQ(ReadBank(55, true), "bonjour");
    ASSERT_EQ(StreamMgr::SetCurrentLanguage(L"ENGLISH(us)"), SX_Success);
    EXPECT_EQ(ReadBank(55, true), "hello");
    EXPECT_EQ(ReadBank(55, false), "<none>");

    SxFileSystemFlags flags;  // a bank by name: its ID without the extension
    ISxStdStream* stream = nullptr;
    ASSERT_EQ(ISxStreamMgr::m_pStreamMgr->CreateStd(L"Music.bnk", &flags, SX_OpenModeRead, stream, true), SX_Success);
    EXPECT_EQ(ReadStd(stream), "music!");
    stream->Destroy();
    flags.companyID = SXCOMPANYID_EXTERNAL;
    ASSERT_EQ(ISxStreamMgr::m_pStreamMgr->CreateStd(L"readme.TXT", &flags, SX_OpenModeRead, stream, true), SX_Success);
    EXPECT_EQ(ReadStd(stream), "external");
    stream->Destroy();

    EXPECT_EQ(m_io.UnloadPackage(b), SX_Success);
    EXPECT_EQ(m_io.UnloadPackage(b), SX_Fail);
    EXPECT_EQ(ReadBank(9), "first");
    ASSERT_EQ(StreamMgr::SetCurrentLanguage(L"German"), SX_Success);
    uint32_t again = 0;
    EXPECT_EQ(m_io.LoadPackage(L"a.sxpk", again), SX_LanguageNotLoaded);  // loaded all the same
    EXPECT_EQ(m_io.NumPackages(), 2u);
}

TEST_F(PackageTest, AnUnloadedPackageLivesUntilItsStreamsClose) {
    const std::string media = FileBytes(200000, 3);
    m_tree.Write("Pack/7.med", media);
    Pack("game.sxpk");
    uint32_t id = 0;
    ASSERT_EQ(m_io.LoadPackage(L"game.sxpk", id), SX_Success);
    ISxAutoStream* stream = OpenMedia(7);
    ASSERT_TRUE(stream);
    ASSERT_EQ(m_io.UnloadPackage(id), SX_Success);
    EXPECT_EQ(m_io.NumPackages(), 0u);
    EXPECT_TRUE(SameBytes(ReadAuto(stream), media));  // read from the package's file still
    stream->Destroy();
    EXPECT_EQ(ReadBank(7), "<none>");
}

// A package with banks 1 and 2 (block size 16, no languages): the fixed header, then the bank
// table at 28: count, then entries of {ID, block size, size, start block, language}.
struct Mutation {
    const char* what;
    void (*apply)(std::string& bytes);
};

void SetU32(std::string& bytes, size_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }

TEST_F(PackageTest, MalformedPackagesAreRefusedWithNothingOpened) {
    m_tree.Write("Pack/1.bnk", "one");
    m_tree.Write("Pack/2.bnk", "two");
    Pack("good.sxpk");
    const std::string good = m_tree.Read("Audio/good.sxpk");
    ASSERT_EQ(good.substr(0, 4), "SXPK");
    const Mutation cases[] = {
        {"header cut short", [](std::string& b) { b.resize(40); }},
        {"shorter than 8 bytes", [](std::string& b) { b.resize(6); }},
        {"not a package", [](std::string& b) { b[0] = 'X'; }},
        {"header size 0", [](std::string& b) { SetU32(b, 4, 0); }},
        {"header larger than the file", [](std::string& b) { SetU32(b, 4, 0xFFFFFFF0u); }},
        {"version 0", [](std::string& b) { SetU32(b, 8, 0); }},
        {"sections larger than the header", [](std::string& b) { SetU32(b, 20, 64); }},
        {"section sizes that overflow",
         [](std::string& b) {
             SetU32(b, 12, 0xFFFFFFFFu);
             SetU32(b, 20, 0x10u);
         }},
        {"count that overflows the table", [](std::string& b) { SetU32(b, 28, 0x40000001u); }},
        {"entry past the file", [](std::string& b) { SetU32(b, 40, 1u << 20); }},
        {"start block past the file", [](std::string& b) { SetU32(b, 44, 0xFFFFFFFFu); }},
        {"block size 0", [](std::string& b) { SetU32(b, 56, 0); }},
        {"unsorted table",
         [](std::string& b) {
             SetU32(b, 32, 2);
             SetU32(b, 52, 1);
         }},
        {"duplicate entry", [](std::string& b) { SetU32(b, 52, 1); }},
    };
    Debug::GlobalLogger logger;
    for (const Mutation& c : cases) {
        std::string bytes = good;
        c.apply(bytes);
        m_tree.Write("Audio/bad.sxpk", bytes);
        qvtest::StderrCapture log;
        uint32_t id = 0;
        EXPECT_EQ(m_io.LoadPackage(L"bad.sxpk", id), SX_Fail) << c.what;
        EXPECT_NE(log.Text().find("bad.sxpk refused"), std::string::npos) << c.what;
        EXPECT_EQ(m_io.NumPackages(), 0u) << c.what;
        EXPECT_EQ(ReadBank(1), "<none>") << c.what;  // nothing was listed
    }
    uint32_t id = 0;
    EXPECT_EQ(m_io.LoadPackage(L"missing.sxpk", id), SX_FileNotFound);
    ASSERT_EQ(m_io.LoadPackage(L"good.sxpk", id), SX_Success);
    EXPECT_EQ(ReadBank(2), "two");
}

TEST(PackageLanguageMap, NamesMustEndInsideTheMapAndBeSorted) {
    // Header: fixed part, then a language map of two entries and their names.
    auto build = [](const std::u16string& first, const std::u16string& second) {
        std::string map(4 + 16, '\0');
        SetU32(map, 0, 2);
        std::string names;
        for (const std::u16string* name : {&first, &second}) {
            SetU32(map, 4 + (name == &first ? 0 : 8), uint32_t(20 + names.size()));
            SetU32(map, 8 + (name == &first ? 0 : 8), name == &first ? 1 : 2);
            for (char16_t unit : *name) names.append(reinterpret_cast<const char*>(&unit), 2);
            names.append(2, '\0');
        }
        map += names;
        while (map.size() % 4) map += '\0';
        std::string header = "SXPK" + std::string(24, '\0');
        SetU32(header, 4, uint32_t(20 + map.size()));
        SetU32(header, 8, 1);
        SetU32(header, 12, uint32_t(map.size()));
        return header + map;
    };
    CSxFilePackageLUT lut;
    std::string error;
    std::string good = build(u"english", u"french");
    ASSERT_TRUE(lut.Setup(reinterpret_cast<const uint8_t*>(good.data()), good.size(), good.size(), error)) << error;
    uint16_t id = 0;
    EXPECT_TRUE(lut.LanguageID(u"french", id));
    EXPECT_EQ(id, 2);
    EXPECT_FALSE(lut.LanguageID(u"german", id));
    EXPECT_TRUE(lut.SetCurrentLanguage(L"English"));
    EXPECT_EQ(lut.CurrentLanguageID(), 1);

    std::string unsorted = build(u"french", u"english");
    EXPECT_FALSE(lut.Setup(reinterpret_cast<const uint8_t*>(unsorted.data()), unsorted.size(), unsorted.size(), error));
    EXPECT_NE(error.find("not sorted"), std::string::npos);
    std::string unended = good;
    SetU32(unended, 28 + 12, 0xFFFFFFF0u);  // the second name's offset
    EXPECT_FALSE(lut.Setup(reinterpret_cast<const uint8_t*>(unended.data()), unended.size(), unended.size(), error));
    EXPECT_NE(error.find("not ended"), std::string::npos);
}

}  // namespace
