// disksetup test: expands every file of a package in memory, across its disks, and reports
// for each whether it is intact or which disk, Volume or stream is missing or damaged.
#include "cli/box_answers.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/disks.h"
#include "cli/problem_text.h"

#include "base/paths.h"
#include "lzhuf/decoder.h"
#include "lzhuf/output_writer.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "platform/posix/posix_platform.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <vector>

namespace {

uint64_t ProducedBytes; // expanded bytes of the current file, counted instead of kept

int32_t CountOutput(const uint8_t*, uint32_t count) {
    ProducedBytes += count;
    return static_cast<int32_t>(count);
}

// After a successful expansion, the rest of the stored stream must still be readable to its
// last Segment.
std::string CheckStreamEnd() {
    int b;
    while ((b = ReadStoredByte()) >= 0) {
    }
    return b == -2 ? "the rest of the stored stream cannot be read" : VolumeEndText(LastProblem);
}

// Expands one record; returns the problems found, none when it is intact.
std::vector<std::string> TestRecord(const uint8_t* record, uint8_t* outputBuffer) {
    StartFileForBoxAnswers();
    StartRecordStream(record);
    ProducedBytes = 0;
    StatusCode status =
        ExpandInto({outputBuffer, PlatformNoFile, &CountOutput}, RecordName(record));
    // A stream whose codes ran past the stored data left the reader at its end (-1), where it
    // can say whether a Volume came up short.
    // A piece that starts past its Volume's end stops the stream before any byte; with no
    // disk problem to explain it, the unread piece is the problem.
    std::vector<std::string> problems = TakeBoxNotes();
    bool overrun = LastProblem.fault == ProblemFault::StreamOverrun;
    std::string end = status == StatusOk            ? CheckStreamEnd()
                      : overrun || problems.empty() ? VolumeEndText(LastProblem)
                                                    : "";
    if (!end.empty()) problems.push_back(end);
    if (status != StatusOk && problems.empty()) {
        std::string cut = SizeCutText(LastProblem);
        problems.push_back(cut.empty() ? "the stored stream ends inside its 4-byte size" : cut);
    }
    return problems;
}

} // namespace

int RunTest(const TestOptions& options) {
    DiskFolders folders;
    int code = OpenPackageDisks(options.path, options.disks, &folders);
    if (code != ExitOk) return code;
    std::vector<uint8_t> outputBuffer(OutputBufferSize);
    StatusCode prepared = PrepareVolumeReader();
    if (prepared != StatusOk) {
        PrintError(NameStatusText(prepared, ErrorSubject));
        return prepared == MsgNoMemory ? ExitFailed : ExitBadInput;
    }
    StartBoxAnswers(folders, BoxPolicy::Note);
    uint32_t damaged = 0, count = CatalogueRecordCount();
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    const uint8_t* record = FirstRecord();
    for (uint32_t i = 0; i < count; ++i, record = NextRecord(record)) {
        std::vector<std::string> problems = TestRecord(record, outputBuffer.data());
        damaged += !problems.empty();
        if (options.json) {
            nlohmann::ordered_json file = {{"name", AnsiToUtf8(RecordName(record))},
                                           {"result", problems.empty() ? "ok" : "damaged"}};
            if (problems.empty())
                file["size"] = ProducedBytes;
            else
                file["problems"] = problems;
            files.push_back(file);
            continue;
        }
        std::string name = EscapeName(RecordName(record));
        if (problems.empty()) {
            if (!Quiet)
                std::printf("ok       %s (%llu bytes)\n", name.c_str(),
                            static_cast<unsigned long long>(ProducedBytes));
            continue;
        }
        std::printf("DAMAGED  %s\n", name.c_str());
        for (const std::string& problem : problems)
            std::printf("         %s\n", problem.c_str());
    }
    StopBoxAnswers();
    ReleaseVolumeReader();
    if (options.json)
        std::printf("%s\n", nlohmann::ordered_json({{"format", JsonFormat},
                                                    {"command", "test"},
                                                    {"intact", count - damaged},
                                                    {"damaged", damaged},
                                                    {"files", files}})
                                .dump(2)
                                .c_str());
    else if (!Quiet)
        std::printf("%u file%s: %u intact, %u damaged\n", count, count == 1 ? "" : "s",
                    count - damaged, damaged);
    return damaged == 0 ? ExitOk : ExitBadInput;
}
