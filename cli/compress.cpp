// disksetup compress and expand: one stored stream (4-byte size and LZHUF bits) from a file's
// bytes, and a file's bytes from one stored stream, through the engine's own codec.
#include "cli/box_answers.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/host_output.h"

#include "base/paths.h"
#include "base/problem.h"
#include "lzhuf/decoder.h"
#include "lzhuf/encoder.h"
#include "lzhuf/format.h"
#include "lzhuf/output_writer.h"
#include "package/catalogue.h"
#include "package/volume.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A stored stream's file, mapped rather than read: the decoder takes its bytes as it goes, and
// a file too large to be a stream is refused before any of it is read.
struct MappedStream {
    ~MappedStream() {
        if (size > 0) munmap(const_cast<uint8_t*>(data), size);
    }
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// The largest stored stream: its size must fit the decoder's signed 32-bit count.
constexpr uint64_t MaxStoredStream = 0x7FFFFFFF;

// Maps the host file at path. Returns ExitOk, or prints what failed and returns the exit code.
int MapStream(const std::string& path, MappedStream* stream) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        PrintError(StatusText(MsgMissing, path));
        return ExitBadInput;
    }
    struct stat st;
    int code = ExitOk;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        PrintError(EscapeHostName(path) + ": not a regular file");
        code = ExitBadInput;
    } else if (static_cast<uint64_t>(st.st_size) > MaxStoredStream) {
        PrintError(EscapeHostName(path) + ": " + std::to_string(st.st_size) +
                   " bytes is more than one stored stream can be (" +
                   std::to_string(MaxStoredStream) + ")");
        code = ExitBadInput;
    } else if (st.st_size > 0) {
        void* at = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (at == MAP_FAILED) {
            PrintError(StatusText(MsgReadError, path));
            code = ExitFailed;
        } else {
            stream->data = static_cast<const uint8_t*>(at);
            stream->size = static_cast<size_t>(st.st_size);
        }
    }
    close(fd);
    return code;
}

// A stream whose size says more than its bits could give even at the method's best ratio is
// no stream: expanding it would only write the noise of the missing bits read as 0.
int CheckDeclaredSize(const MappedStream& stream, const std::string& input) {
    if (stream.size < SizePrefixBytes) return ExitOk; // told by the expansion itself
    uint64_t declared = ReadU32(stream.data);
    uint64_t most = (stream.size - SizePrefixBytes) * MostBytesPerStoredByte;
    if (declared <= most) return ExitOk;
    PrintError(EscapeHostName(input) + ": the stream declares " + std::to_string(declared) +
               " bytes, more than its " + std::to_string(stream.size - SizePrefixBytes) +
               " bytes of data can give (at most " + std::to_string(most) + ", " +
               std::to_string(MostBytesPerStoredByte) +
               " for each); not a stored stream, nothing written");
    return ExitBadInput;
}

std::FILE* OutputFile;

struct WriteFailure {};

// The compressed stream's file, written beside the output as the encoder hands over its
// blocks.
struct FileStreamOutput : EncoderOutput {
    explicit FileStreamOutput(const std::string& path) { opened = out.Open(path, NewFileMode()); }
    void Write(const uint8_t* data, size_t count) override {
        if (std::fwrite(data, 1, count, out.File()) != count) throw WriteFailure{};
    }
    void Restart() override {
        std::FILE* file = out.File();
        if (std::fflush(file) != 0 || ftruncate(fileno(file), 0) != 0 ||
            std::fseek(file, 0, SEEK_SET) != 0)
            throw WriteFailure{};
    }
    OutputBeside out;
    bool opened;
};

int32_t WriteToOutputFile(const uint8_t* data, uint32_t count) {
    size_t written = std::fwrite(data, 1, count, OutputFile);
    if (written == 0 && std::ferror(OutputFile)) return -1;
    return static_cast<int32_t>(written);
}

// Runs the decoder over stream into the open OutputFile, its boxes answered Cancel (OK when
// that is all they offer), since nobody is there to retry. Returns its status; what went
// wrong is in LastProblem.
StatusCode ExpandStream(const uint8_t* stream, size_t size, const std::string& input,
                        const std::string& output) {
    static uint8_t buffer[OutputBufferSize];
    StartBoxAnswers(DiskFolders{}, BoxPolicy::Note);
    StartMemoryStream(stream, static_cast<uint32_t>(size), input.c_str());
    ProgressWindow = nullptr;
    StatusCode status = ExpandInto({buffer, PlatformNoFile, WriteToOutputFile}, output.c_str());
    StopBoxAnswers();
    return status;
}

// Says why an expansion failed and picks the exit code: a damaged stream is bad input, a
// write that failed is a host failure.
int ReportExpandFailure(const uint8_t* stream, size_t size, const std::string& input) {
    if (size < SizePrefixBytes) {
        PrintError(StatusText(MsgReadError, input) +
                   " (the stream ends inside its 4-byte size: " + std::to_string(size) + " bytes)");
        return ExitBadInput;
    }
    if (LastProblem.fault == ProblemFault::StreamOverrun) {
        PrintError(StatusText(MsgReadError, input) + " (the stream's codes run past its " +
                   std::to_string(size) + " bytes; all " + std::to_string(ReadU32(stream)) +
                   " bytes were written, the missing bits read as 0)");
        return ExitBadInput;
    }
    // A write that failed or that the disk took in part, naming the output.
    if (LastProblem.fault != ProblemFault::None)
        PrintError(StatusText(LastProblem.status, LastProblem.path));
    return ExitFailed;
}

} // namespace

int RunCompress(const CodecOptions& options) {
    std::FILE* in = std::fopen(options.input.c_str(), "rb");
    if (!in) {
        PrintError(StatusText(MsgMissing, options.input));
        return ExitBadInput;
    }
    // The stream starts with the size, so it is taken from the file before its bytes.
    std::error_code error;
    uintmax_t size = std::filesystem::file_size(options.input, error);
    if (error || size > MaxEncodableSize) {
        std::fclose(in);
        PrintError(EscapeHostName(options.input) + ": " +
                   (error ? "its size cannot be taken (" + error.message() + ")"
                          : std::to_string(size) +
                                " bytes is more than a stored stream can describe (" +
                                std::to_string(MaxEncodableSize) + ")"));
        return ExitBadInput;
    }
    FileStreamOutput out(options.output);
    if (!out.opened) {
        std::fclose(in);
        PrintError(StatusText(MsgWriteError, options.output));
        return ExitFailed;
    }
    FileEncoderInput input(in);
    int code = ExitOk;
    try {
        EncodeStream(input, size, out, options.best ? EncodeEffort::Best : EncodeEffort::Default);
        if (!out.out.Finish(true)) throw WriteFailure{};
    } catch (const WriteFailure&) {
        PrintError(StatusText(MsgWriteError, options.output));
        code = ExitFailed;
    } catch (const std::runtime_error& e) {
        PrintError(StatusText(MsgReadError, options.input) + " (" + e.what() + ")");
        code = ExitFailed;
    }
    std::fclose(in);
    return code; // a stream cut short is of no use to anyone: out removes it, the old file stays
}

int RunExpand(const CodecOptions& options) {
    MappedStream mapped;
    int code = MapStream(options.input, &mapped);
    if (code == ExitOk) code = CheckDeclaredSize(mapped, options.input);
    if (code != ExitOk) return code;
    OutputBeside out;
    if (!out.Open(options.output, NewFileMode())) {
        PrintError(StatusText(MsgWriteError, options.output));
        return ExitFailed;
    }
    OutputFile = out.File();
    StatusCode status = ExpandStream(mapped.data, mapped.size, options.input, options.output);
    OutputFile = nullptr;
    // A damaged stream is still written whole, the missing bits read as 0, and kept.
    bool whole = status == StatusOk || LastProblem.fault == ProblemFault::StreamOverrun;
    bool finished = out.Finish(whole);
    if (status != StatusOk) return ReportExpandFailure(mapped.data, mapped.size, options.input);
    if (!finished) {
        PrintError(StatusText(MsgWriteError, options.output));
        return ExitFailed;
    }
    return ExitOk;
}
