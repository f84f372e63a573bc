// Catalogue loading: sizes, derived values, the record walk, and catalogues that lie.
#include "base/memory.h"
#include "package/catalogue.h"
#include "tests/support/catalogue_bytes.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class CatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ReleaseCatalogue();
        std::memset(&Header, 0, sizeof Header);
        blocksBefore_ = LockedBlocksInUse();
    }
    void TearDown() override {
        ReleaseCatalogue();
        EXPECT_EQ(LockedBlocksInUse(), blocksBefore_);
    }
    // Writes bytes as the catalogue of a setup program named program in the sandbox, and
    // loads it as that program would.
    StatusCode Load(const std::vector<uint8_t>& bytes, const std::string& program = "SETUP.EXE") {
        std::string catalogue = program.substr(0, program.rfind('.')) + ".bin";
        box_.Write(box_.Path(catalogue), bytes);
        PlatformOverrideProgramPath(box_.Path(program).c_str());
        return LoadCatalogue();
    }
    Sandbox box_;
    int32_t blocksBefore_ = 0;
};

std::vector<uint8_t> Padded(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(size, 0xAA);
    return bytes;
}

TEST_F(CatalogueTest, HeaderSizeDecidesBetweenReadErrorAndSuccess) {
    std::vector<uint8_t> header = CatalogueBytes("XXXX", "GAME.EXE", "Game", {});
    EXPECT_EQ(Load(std::vector<uint8_t>(header.begin(), header.end() - 1)), MsgReadError);
    EXPECT_EQ(std::string(ErrorSubject), box_.Path("SETUP.bin"));
    // Exactly the header: a package without records, not a failure to find memory.
    EXPECT_EQ(Load(header), StatusOk);
    EXPECT_EQ(CatalogueRecordCount(), 0);
    EXPECT_EQ(RequiredKb, 0u);
    // An empty record area cannot hold the records a non-zero count promises.
    EXPECT_EQ(Load(CatalogueBytes("XXXX", "GAME.EXE", "Game", {}, 1)), MsgReadError);
}

TEST_F(CatalogueTest, RequiredKbCountsTheAreaInWholeKilobytesAndEverySize) {
    std::vector<uint8_t> empty = CatalogueBytes("XXXX", "GAME.EXE", "Game", {});
    ASSERT_EQ(Load(Padded(empty, 346 + 1023)), StatusOk);
    EXPECT_EQ(RequiredKb, 0u);
    ASSERT_EQ(Load(Padded(empty, 346 + 1024)), StatusOk);
    EXPECT_EQ(RequiredKb, 1u);

    RecordSpec skipped{"README.TXT", FlagNotInstalled, 7, 0, 0, {{1, 2, 10}}};
    RecordSpec shared{"SHARED.DLL", 0x0004, 5, 0x00010002, 0x00030004, {{1, 12, 10}}};
    RecordSpec plain{"GAME.EXE", 0, 100, 0, 0, {{1, 22, 10}, {2, 2, 5}}};
    ASSERT_EQ(Load(CatalogueBytes("XXXX", "GAME.EXE", "Game", {skipped, shared, plain})), StatusOk);
    EXPECT_EQ(RequiredKb, 112u); // the small record area adds nothing
}

TEST_F(CatalogueTest, OnlyUpperCaseInsvMarksAnInsvPackage) {
    ASSERT_EQ(Load(CatalogueBytes("INSV", "DRV.EXE", "Driver", {})), StatusOk);
    EXPECT_TRUE(InsvPackage);
    ASSERT_EQ(Load(CatalogueBytes("insv", "DRV.EXE", "Driver", {})), StatusOk);
    EXPECT_FALSE(InsvPackage);
}

TEST_F(CatalogueTest, DerivesSetupDirAndTheNameOfTheFileItOpened) {
    ASSERT_EQ(Load(CatalogueBytes("XXXX", "GAME.EXE", "Game", {}), "MY.SETUP.EXE"), StatusOk);
    EXPECT_EQ(std::string(SetupDir), box_.Root());
    EXPECT_STREQ(CatalogueName, "MY.SETUP.bin");
    EXPECT_EQ(std::string(ErrorSubject), box_.Path("MY.SETUP.bin"));
    EXPECT_STREQ(Header.ProgramName, "GAME.EXE");
    EXPECT_STREQ(Header.Title, "Game");
}

TEST_F(CatalogueTest, MissingCatalogueAndPathWithoutBackslash) {
    PlatformOverrideProgramPath(box_.Path("NONE.EXE").c_str());
    EXPECT_EQ(LoadCatalogue(), MsgMissing);
    EXPECT_EQ(std::string(ErrorSubject), box_.Path("NONE.bin"));
    PlatformOverrideProgramPath("SETUP.EXE");
    EXPECT_EQ(LoadCatalogue(), MsgError);
}

TEST_F(CatalogueTest, WalksRecordsWithTheirNamesVersionsAndSegments) {
    RecordSpec shared{"SYS\\SHARED.DLL", 0x0002, 5, 0x00010002, 0x00030004, {{1, 12, 10}}};
    RecordSpec plain{"GAME.EXE", 0, 100, 0, 0, {{1, 22, 10}, {2, 2, 5}}};
    ASSERT_EQ(Load(CatalogueBytes("XXXX", "GAME.EXE", "Game", {shared, plain})), StatusOk);
    const uint8_t* first = FirstRecord();
    EXPECT_STREQ(RecordName(first), "SYS\\SHARED.DLL");
    EXPECT_TRUE(RecordIsShared(first));
    uint32_t ms = 0, ls = 0;
    RecordVersion(first, &ms, &ls);
    EXPECT_EQ(ms, 0x00010002u);
    EXPECT_EQ(ls, 0x00030004u);
    EXPECT_EQ(RecordFirstSegment(first) - first, 6 + 14 + 2 + 8);
    EXPECT_EQ(SegmentOffset(RecordFirstSegment(first)), 12u);

    const uint8_t* second = NextRecord(first);
    EXPECT_STREQ(RecordName(second), "GAME.EXE");
    EXPECT_FALSE(RecordIsShared(second));
    RecordVersion(second, &ms, &ls);
    EXPECT_EQ(ms, 0u);
    const uint8_t* segment = RecordFirstSegment(second);
    EXPECT_EQ(segment - second, 6 + 8 + 2);
    EXPECT_EQ(SegmentDisk(segment + SegmentSize), 2);
    EXPECT_EQ(SegmentLength(segment + SegmentSize), 5u);
}

TEST_F(CatalogueTest, RefusesRecordsThatDoNotLieInsideTheRecordArea) {
    RecordSpec good{"GAME.EXE", 0, 1, 0, 0, {{1, 2, 10}}};
    auto refused = [&](std::vector<uint8_t> bytes) {
        EXPECT_EQ(Load(bytes), MsgReadError);
        EXPECT_EQ(std::string(ErrorSubject), box_.Path("SETUP.bin"));
    };
    // The count promises more records than the area holds.
    refused(CatalogueBytes("XXXX", "GAME.EXE", "Game", {good}, 2));
    // Length 0 would keep the walk on one record; too short to hold its own fields.
    RecordSpec zero = good;
    zero.lengthAdjust = -static_cast<int>(RecordBytes(good).size());
    refused(CatalogueBytes("XXXX", "GAME.EXE", "Game", {zero}));
    RecordSpec tiny = good;
    tiny.lengthAdjust = 6 - static_cast<int>(RecordBytes(good).size());
    refused(CatalogueBytes("XXXX", "GAME.EXE", "Game", {tiny}));
    // Length cuts the end entry off, or runs past the area.
    RecordSpec cut = good;
    cut.lengthAdjust = -9;
    refused(CatalogueBytes("XXXX", "GAME.EXE", "Game", {cut}));
    RecordSpec longer = good;
    longer.lengthAdjust = 1;
    refused(CatalogueBytes("XXXX", "GAME.EXE", "Game", {longer}));
    // The Name's terminator lies outside the record.
    std::vector<uint8_t> bytes = CatalogueBytes("XXXX", "GAME.EXE", "Game", {good});
    bytes.resize(346 + 6 + 4); // "GAME" without terminator, Length still claims more
    bytes[346] = 10;
    refused(bytes);
}

TEST_F(CatalogueTest, AcceptsAnEndEntryReadForItsDiskAlone) {
    // A list ended by Disk 0 needs only those two bytes inside the record.
    RecordSpec good{"GAME.EXE", 0, 1, 0, 0, {{1, 2, 10}}};
    RecordSpec shortEnd = good;
    shortEnd.lengthAdjust = -8;
    std::vector<uint8_t> bytes = CatalogueBytes("XXXX", "GAME.EXE", "Game", {shortEnd});
    bytes.resize(bytes.size() - 8);
    EXPECT_EQ(Load(bytes), StatusOk);
    // A shared record's version must lie inside the record too.
    RecordSpec shared{"S.DLL", 0x0006, 1, 1, 2, {}};
    shared.lengthAdjust = -10 - 8 + 2;
    bytes = CatalogueBytes("XXXX", "GAME.EXE", "Game", {shared});
    bytes.resize(bytes.size() - 16);
    EXPECT_EQ(Load(bytes), MsgReadError);
}

TEST_F(CatalogueTest, RefusesHeaderTextsWithoutTerminatorAndClearsThem) {
    std::vector<uint8_t> bytes = CatalogueBytes("XXXX", "GAME.EXE", "Game", {});
    std::memset(bytes.data() + 264, 'T', 80); // Title fills its field without a terminator
    EXPECT_EQ(Load(bytes), MsgReadError);
    EXPECT_STREQ(CatalogueProgramName(), "");
    bytes = CatalogueBytes("XXXX", "GAME.EXE", "Game", {});
    std::memset(bytes.data() + 4, 'P', 260);
    EXPECT_EQ(Load(bytes), MsgReadError);
    EXPECT_STREQ(CatalogueProgramName(), "");
}

TEST(LockedMemory, ZeroSizeNullHandlesAndRelease) {
    PlatformMemory handle = reinterpret_cast<PlatformMemory>(1);
    EXPECT_EQ(AllocLocked(0, &handle), nullptr);
    EXPECT_EQ(handle, nullptr);
    FreeLocked(&handle); // nothing to release: harmless
    EXPECT_EQ(handle, nullptr);

    int32_t before = LockedBlocksInUse();
    uint8_t* block = static_cast<uint8_t*>(AllocLocked(32000, &handle));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[0] | block[31999], 0); // zero-filled
    EXPECT_EQ(LockedBlocksInUse(), before + 1);
    FreeLocked(&handle);
    EXPECT_EQ(handle, nullptr);
    FreeLocked(&handle);
    EXPECT_EQ(LockedBlocksInUse(), before);
}

} // namespace
