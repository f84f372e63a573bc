// The exit codes of the README's table: one case of each row against every command that can
// meet it.
#include "tests/support/cli_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

class CliExitCodes : public CliFixture {};

// disksetup with args, its standard output going to a full device.
CommandResult RunIntoFullOutput(const std::string& args) {
    return RunCommand("sh -c " +
                      ShellQuote(std::string(DISKSETUP_CLI) + " " + args + " >/dev/full"));
}

TEST_F(CliExitCodes, EveryRowForEveryCommandThatCanMeetIt) {
    TestPackage space{.program = "SPACE.EXE",
                      .title = "Space Game",
                      .files = {{.name = "SPACE.EXE", .bytes = PatternBytes(5000, 1)},
                                {.name = "LEVEL.DAT", .bytes = PatternBytes(3000, 2), .disk = 2},
                                {.name = "uninstal.exe", .bytes = PatternBytes(300, 3)}}};
    std::string disk = Write(space);
    fs::copy(Host("pkg"), Host("broken"), fs::copy_options::recursive);
    fs::remove(Host("broken/disk2/SPACE.dat")); // a Volume missing from its disk's folder
    std::string broken = Quoted("broken/disk1");
    WriteHostFile(Host("in.txt"), std::string("some text"));
    WriteHostFile(Host("a-file"), std::string("in the way"));
    WriteHostFile(Host("root/GAMES"), std::string("in the way of the destination"));
    std::string root = " --root " + Quoted("root") + " ";
    ASSERT_EQ(Run("install " + disk + root + "--yes").exitCode, 0);
    ASSERT_EQ(Run("compress " + Quoted("in.txt") + " " + Quoted("in.lzh")).exitCode, 0);
    std::string uninstaller = ShellQuote("C:\\WINDOWS\\SPACE\\uninstal.exe");

    struct Case {
        std::string args;
        int code;
        bool fullOutput = false;
    };
    std::vector<Case> cases = {
        // 1: the command line is wrong.
        {"list", 1},
        {"test " + disk + " --disk 2", 1},
        {"extract " + disk, 1},
        {"install " + disk + root + "--wine-prefix " + Quoted("prefix"), 1},
        {"uninstall" + root + "NOWHERE", 1},
        {"pack --dir " + Quoted("src"), 1},
        {"compress " + Quoted("in.txt"), 1},
        {"expand " + Quoted("in.lzh"), 1},
        // 2: a missing, damaged or unusable package, Volume, stream or file.
        {"list " + Quoted("nothing"), 2},
        {"test " + broken, 2},
        {"extract " + broken + " -d " + Quoted("out"), 2},
        {"install " + broken + root + "--yes --dest C:\\\\BROKEN", 2},
        {"uninstall" + root + ShellQuote("C:\\NONE\\uninstal.exe"), 2},
        {"pack " + Quoted("nothing.toml") + " -o " + Quoted("packed"), 2},
        {"compress " + Quoted("nothing") + " " + Quoted("x.lzh"), 2},
        {"expand " + Quoted("nothing") + " " + Quoted("x"), 2},
        // 3: reading or writing on the host failed, or the run was cancelled.
        {"list " + disk, 3, true},
        {"test " + disk, 3, true},
        {"extract " + disk + " -d " + Quoted("a-file"), 3},
        {"install " + disk + root + "--yes --dest C:\\\\GAMES\\\\SPACE", 3},
        {"uninstall" + root + "--yes " + uninstaller, 3, true},
        {"compress " + Quoted("in.txt") + " /dev/full", 3},
        {"expand " + Quoted("in.lzh") + " /dev/full", 3},
    };
    for (const Case& c : cases) {
        CommandResult r = c.fullOutput ? RunIntoFullOutput(c.args) : Run(c.args);
        EXPECT_EQ(r.exitCode, c.code) << c.args << "\n" << r.err;
        if (c.fullOutput) {
            EXPECT_NE(r.err.find("writing standard output: No space left on device"),
                      std::string::npos)
                << c.args << "\n"
                << r.err;
        }
    }
}

} // namespace
