// disksetup list: the listing of sound and damaged catalogues, as text and JSON, with exit codes.
#include "tests/support/catalogue_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

CommandResult List(const std::string& args) {
    return RunDisksetup("list " + args);
}

class CliList : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordSpec game{"SPACE.EXE", 0, 120, 0, 0, {{1, 2, 4000}, {2, 2, 100}}};
        RecordSpec shared{"SYSTEM\\SHARED.DLL", 0x0002, 3, 0x00020001, 0x00000005, {{2, 102, 900}}};
        RecordSpec readme{"READ\x01ME.TXT", 0x0001, 1, 0, 0, {{2, 1002, 50}}};
        RecordSpec empty{"EMPTY.DAT", 0, 0, 0, 0, {}};
        box_.Write(box_.Path("disk1\\SETUP.bin"), CatalogueBytes("XXXX", "SPACE.EXE", "Space Game",
                                                                 {game, shared, readme, empty}));
        disk_ = Sandbox::Host(box_.Path("disk1"));
    }
    Sandbox box_;
    std::string disk_;
};

TEST_F(CliList, PrintsHeaderAndOneRowPerRecord) {
    CommandResult r = List(ShellQuote(disk_));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "Package:  ordinary\n"
        "Program:  SPACE.EXE\n"
        "Title:    Space Game\n"
        "Records:  4\n"
        "Required: 124 Kb\n"
        "\n"
        "    #  Kind           SizeKb  Version         Name                     Segments\n"
        "    1  ordinary          120  -               SPACE.EXE                1:2+4000 2:2+100\n"
        "    2  shared              3  2.1.0.5         SYSTEM\\SHARED.DLL        2:102+900\n"
        "    3  not installed       1  -               READ\\x01ME.TXT           2:1002+50\n"
        "    4  ordinary            0  -               EMPTY.DAT                (empty)\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(CliList, JsonCarriesTheSameFacts) {
    CommandResult r = List("--json " + ShellQuote(disk_ + "/SETUP.bin"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(SchemaProblems(r.out), "");
    nlohmann::json doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["format"], 1);
    EXPECT_EQ(doc["kind"], "ordinary");
    EXPECT_EQ(doc["title"], "Space Game");
    EXPECT_EQ(doc["requiredKb"], 124);
    ASSERT_EQ(doc["records"].size(), 4u);
    EXPECT_EQ(doc["records"][1]["version"], "2.1.0.5");
    EXPECT_EQ(doc["records"][1]["kind"], "shared");
    EXPECT_EQ(doc["records"][1]["flagNames"], nlohmann::json::array({"shared"}));
    EXPECT_EQ(doc["records"][2]["flagNames"], nlohmann::json::array({"notInstalled"}));
    EXPECT_TRUE(doc["records"][0]["version"].is_null());
    EXPECT_EQ(doc["records"][2]["name"], "READ\x01ME.TXT");
    EXPECT_EQ(doc["records"][0]["segments"][1]["disk"], 2);
    EXPECT_EQ(doc["records"][0]["segments"][1]["length"], 100);
}

TEST_F(CliList, DamagedOrMissingCataloguesAreBadInputInTheProgramsWords) {
    std::vector<uint8_t> bytes = box_.Read(box_.Path("disk1\\SETUP.bin"));
    bytes[344] = 9; // claims more records than there are
    box_.Write(box_.Path("bad\\SETUP.bin"), bytes);
    CommandResult r = List(ShellQuote(Sandbox::Host(box_.Path("bad"))));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "disksetup: " + Sandbox::Host(box_.Path("bad")) +
                         "/SETUP.bin: read error! (the header counts 9 records; record 5 at offset "
                         "512 does not lie whole within the file's 512 bytes)\n");

    box_.Write(box_.Path("short\\SETUP.bin"), std::vector<uint8_t>(345, 0));
    r = List(ShellQuote(Sandbox::Host(box_.Path("short\\SETUP.bin"))));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("SETUP.bin: read error! (the file holds 345 bytes, fewer than the 346 of "
                         "its header)\n"),
              std::string::npos)
        << r.err;

    bytes = box_.Read(box_.Path("disk1\\SETUP.bin"));
    std::fill(bytes.begin() + 264, bytes.begin() + 344, 'T'); // a title without its end
    box_.Write(box_.Path("untitled\\SETUP.bin"), bytes);
    r = List(ShellQuote(Sandbox::Host(box_.Path("untitled"))));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("SETUP.bin: read error! (the header's title has no terminating zero in "
                         "its 80 bytes)\n"),
              std::string::npos)
        << r.err;

    r = List(ShellQuote(disk_ + "/NOPE.bin"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "disksetup: " + disk_ + "/NOPE.bin is missing!\n");

    box_.MakeDirectory(box_.Path("nothing"));
    r = List(ShellQuote(Sandbox::Host(box_.Path("nothing"))));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("is missing!"), std::string::npos) << r.err;
}

TEST_F(CliList, UsageErrorsExitWithOne) {
    EXPECT_EQ(List("").exitCode, 1);
    EXPECT_EQ(RunDisksetup("frobnicate").exitCode, 1);
    CommandResult help = RunDisksetup("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("2  bad input"), std::string::npos);
}

} // namespace
