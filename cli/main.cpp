// disksetup: list, test, extract, install and uninstall setup packages without Windows, pack
// them, and compress or expand one stored stream; main() parses and runs the subcommand given.
#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/commands.h"

#include "platform/posix/posix_platform.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The number of single-letter edits (insert, delete, replace, swap two neighbours) that turn a
// into b.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// The subcommand named name, or nullptr after saying so with the nearest name, if one is near.
const CLI::App* SubcommandNamed(const CLI::App& app, const std::string& name) {
    std::vector<const CLI::App*> subcommands =
        app.get_subcommands([](const CLI::App*) { return true; });
    std::string nearest, all;
    size_t best = 3; // farther names are no suggestion
    for (const CLI::App* subcommand : subcommands) {
        const std::string& candidate = subcommand->get_name();
        if (candidate == name) return subcommand;
        size_t distance = EditDistance(name, candidate);
        if (distance < best) best = distance, nearest = candidate;
        all += (all.empty() ? "" : ", ") + candidate;
    }
    std::fprintf(stderr, "disksetup: unknown subcommand '%s'; %s\n", EscapeHostName(name).c_str(),
                 nearest.empty() ? ("the subcommands are " + all).c_str()
                                 : ("did you mean '" + nearest + "'?").c_str());
    std::fprintf(stderr, "Run 'disksetup help' for more information.\n");
    return nullptr;
}

// A symbolic link that a file's creation, write or deletion refused to follow out of the
// root, OUT or drive_c is named; it failed the command (exit code 3) unless something else
// already did.
int ReportRefusedLinks(int code) {
    std::vector<std::string> links = PosixTakeRefusedLinks();
    for (const std::string& link : links)
        PrintError(EscapeHostName(link));
    return links.empty() || code != ExitOk ? code : ExitFailed;
}

// What the command printed must have reached standard output: a full disk or a broken device
// there is a failed write like any other, exit code 3.
int CheckStandardOutput(int code) {
    errno = 0;
    bool ok = std::fflush(stdout) == 0 && !std::ferror(stdout);
    int error = errno;
    if (std::fclose(stdout) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok) return code;
    PrintError(std::string("writing standard output: ") + std::strerror(error ? error : EIO));
    return ExitFailed;
}

// Prints the help of disksetup, or of the subcommand topic names ("": disksetup's own).
int PrintHelp(const CLI::App& app, const std::string& topicName) {
    // The formatter, not help(): the command's help() would describe the subcommand "help".
    const CLI::App* topic = &app;
    if (!topicName.empty() && (topic = SubcommandNamed(app, topicName)) == nullptr)
        return ExitUsage;
    std::string usageName = topic == &app ? "disksetup" : "disksetup " + topic->get_name();
    std::fputs(app.get_formatter()->make_help(topic, usageName, CLI::AppFormatMode::Normal).c_str(),
               stdout);
    return ExitOk;
}

// Whether the subcommand named name was the one given.
bool Chosen(const CLI::App& app, const char* name) {
    return app.get_subcommand(name)->parsed();
}

// Where the chosen subcommand's report goes. What the subcommands other than list and test
// print on standard output is a report of their work; with --json it goes to standard error,
// and the document alone to standard output; -q sends it nowhere. False when that fails.
bool ChooseReport(const CLI::App& app, const CommandLineOptions& options) {
    bool json = (Chosen(app, "extract") && options.extract.json) ||
                (Chosen(app, "install") && options.install.json) ||
                (Chosen(app, "uninstall") && options.uninstall.json);
    if (json) Report = Quiet ? std::fopen("/dev/null", "w") : stderr;
    if (Report == nullptr) return false;
    return !Quiet || json || Chosen(app, "list") || Chosen(app, "test") ||
           std::freopen("/dev/null", "w", stdout) != nullptr;
}

// Runs the subcommand that was given, with its options.
int Dispatch(const CLI::App& app, const CommandLineOptions& options) {
    if (Chosen(app, "help")) return PrintHelp(app, options.helpTopic);
    if (!ChooseReport(app, options)) return ExitFailed;
    if (Chosen(app, "list")) return RunList(options.list);
    if (Chosen(app, "pack")) return RunPack(options.pack);
    if (Chosen(app, "test")) return RunTest(options.test);
    if (Chosen(app, "extract")) return RunExtract(options.extract);
    if (Chosen(app, "install")) return RunInstall(options.install);
    if (Chosen(app, "uninstall")) return RunUninstall(options.uninstall);
    if (Chosen(app, "compress")) return RunCompress(options.compress);
    if (Chosen(app, "expand")) return RunExpand(options.expand);
    return ExitUsage;
}

// Parses the command line and runs the subcommand it names.
int Run(int argc, char** argv) {
    // Named here, so that usage and help say "disksetup" however the program was started.
    CLI::App app{"disksetup: work with setup packages (catalogue + volumes on disks)", "disksetup"};
    CommandLineOptions options;
    DeclareCommandLine(app, &options);
    // The first word that is not an option names the subcommand: a misspelt one is named with
    // the nearest, before the parser would call it an extra argument.
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;
        if (SubcommandNamed(app, argv[i]) == nullptr) return ExitUsage;
        break;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? ExitOk : ExitUsage;
    }
    return Dispatch(app, options);
}

} // namespace

int main(int argc, char** argv) {
    return CheckStandardOutput(ReportRefusedLinks(Run(argc, argv)));
}
