// The disksetup command's manners: usage errors named as the command's own, the nearest
// subcommand for a misspelt one, help for each subcommand, and every option of every
// subcommand in the manual page and the bash completion.
#include "tests/support/run_command.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

namespace {

const char* const Subcommands[] = {"list",      "test", "extract",  "install",
                                   "uninstall", "pack", "compress", "expand"};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The options a subcommand's help lists ("-d", "--output", ...).
std::set<std::string> OptionsOf(const std::string& help) {
    std::set<std::string> options;
    size_t start = help.find("Options:");
    if (start == std::string::npos) return options;
    std::istringstream lines(help.substr(start));
    std::regex option(R"((^|[ ,])(--?[A-Za-z][A-Za-z-]*))");
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  -", 0) != 0) continue;
        std::string head = line.substr(0, line.find("  ", 2));
        for (std::sregex_iterator it(head.begin(), head.end(), option), end; it != end; ++it)
            options.insert((*it)[2]);
    }
    return options;
}

// The manual page's section of subcommand, roff's "\-" written as "-".
std::string ManualSection(const std::string& manual, const std::string& subcommand) {
    std::string heading = "\n.SS \"" + subcommand + " ";
    size_t begin = manual.find(heading);
    if (begin == std::string::npos) return "";
    size_t end = begin;
    do
        end = manual.find("\n.S", end + 1);
    while (end != std::string::npos && manual.compare(end, heading.size(), heading) == 0);
    return std::regex_replace(manual.substr(begin, end - begin), std::regex(R"(\\-)"), "-");
}

// Whether text has option as a word of its own ("--disk" not inside "--disk-size").
bool HasOption(const std::string& text, const std::string& option) {
    return std::regex_search(text, std::regex("(^|[^-A-Za-z])" + option + "([^-A-Za-z]|$)"));
}

TEST(CliManners, UsageErrorsNameTheCommandAndTheNearestSubcommand) {
    CommandResult r = RunDisksetup("lsit x");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')),
              "disksetup: unknown subcommand 'lsit'; did you mean 'list'?");
    r = RunDisksetup("frobnicate");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "'frobnicate'; the subcommands are list, pack,")) << r.err;
    // The parser's own errors carry the same beginning.
    r = RunDisksetup("extract pkg");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("disksetup: ", 0), 0u) << r.err;
    r = RunDisksetup("");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("disksetup: ", 0), 0u) << r.err;
}

TEST(CliManners, HelpDescribesTheCommandOrOneSubcommand) {
    CommandResult r = RunDisksetup("help");
    EXPECT_EQ(r.exitCode, 0);
    for (const char* subcommand : Subcommands)
        EXPECT_TRUE(Contains(r.out, std::string("  ") + subcommand + " ")) << subcommand;
    r = RunDisksetup("help extract");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, RunDisksetup("extract --help").out);
    r = RunDisksetup("help lsit");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "did you mean 'list'?")) << r.err;
}

// Each subcommand's help has examples, and each of its options is in the manual page and is
// offered by the bash completion after the subcommand.
TEST(CliManners, EveryOptionIsInTheManualAndTheCompletion) {
    std::string manual = Text(ReadHostFile(DISKSETUP_MANUAL));
    size_t globalAt = manual.find(".SH GLOBAL OPTIONS");
    std::string global =
        std::regex_replace(manual.substr(globalAt, manual.find(".SH SUBCOMMANDS") - globalAt),
                           std::regex(R"(\\-)"), "-");
    std::string completion = std::string(DISKSETUP_SOURCE_DIR) + "/cli/disksetup.bash-completion";
    for (const char* subcommand : Subcommands) {
        std::string help = RunDisksetup(std::string(subcommand) + " --help").out;
        EXPECT_TRUE(Contains(help, "Example")) << subcommand;
        std::set<std::string> options = OptionsOf(help);
        std::string section = ManualSection(manual, subcommand);
        EXPECT_TRUE(options.count("--help")) << help;
        std::string offered =
            RunCommand("bash -c " + ShellQuote("source " + ShellQuote(completion) +
                                               "; COMP_WORDS=(disksetup " + subcommand +
                                               " -); COMP_CWORD=2; _disksetup; printf '%s\\n' "
                                               "\"${COMPREPLY[@]}\""))
                .out;
        for (const std::string& option : options) {
            // Options of every subcommand are described once, under GLOBAL OPTIONS.
            if (HasOption(global, option)) continue;
            EXPECT_TRUE(HasOption(section, option)) << subcommand << " " << option;
            EXPECT_TRUE(Contains("\n" + offered, "\n" + option + "\n"))
                << subcommand << " " << option << " not completed:\n"
                << offered;
        }
    }
}

} // namespace
