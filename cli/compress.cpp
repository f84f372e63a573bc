// disksetup compress and expand: one stored stream (4-byte size and LZHUF bits) from a file's
// bytes, and a file's bytes from one stored stream, through the engine's own codec.
#include "cli/cli.h"
#include "cli/commands.h"

#include "lzhuf/decoder.h"
#include "lzhuf/encoder.h"
#include "lzhuf/format.h"
#include "lzhuf/output_writer.h"
#include "package/catalogue.h"
#include "base/paths.h"
#include "package/volume.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Reads a whole host file. Returns ExitOk, or prints what failed and returns the exit code.
int ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        PrintError(StatusText(MsgMissing, path));
        return ExitBadInput;
    }
    bytes->assign(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) {
        PrintError(StatusText(MsgReadError, path));
        return ExitFailed;
    }
    return ExitOk;
}

// The engine's boxes during an expansion: each is kept, and answered Cancel (OK when that is
// all it offers), since nobody is there to retry.
std::vector<std::string> BoxTexts;

int NoteBox(PlatformWindow, const char* text, const char*, uint32_t type) {
    BoxTexts.push_back(text ? text : "");
    return (type & 0x0F) == BoxOk ? AnswerOk : AnswerCancel;
}

std::FILE* OutputFile;

struct WriteFailure {};

// The compressed stream's file, written as the encoder hands over its blocks.
struct FileStreamOutput : EncoderOutput {
    explicit FileStreamOutput(const std::string& path) : file(std::fopen(path.c_str(), "wb")) {}
    ~FileStreamOutput() override { Close(); }
    void Write(const uint8_t* data, size_t count) override {
        if (std::fwrite(data, 1, count, file) != count) throw WriteFailure{};
    }
    void Restart() override {
        if (std::fflush(file) != 0 || ftruncate(fileno(file), 0) != 0 ||
            std::fseek(file, 0, SEEK_SET) != 0)
            throw WriteFailure{};
    }
    // Returns whether everything reached the file.
    bool Close() {
        bool ok = file && std::fclose(file) == 0;
        file = nullptr;
        return ok;
    }
    std::FILE* file;
};

int32_t WriteToOutputFile(const uint8_t* data, uint32_t count) {
    size_t written = std::fwrite(data, 1, count, OutputFile);
    if (written == 0 && std::ferror(OutputFile)) return -1;
    return static_cast<int32_t>(written);
}

// Runs the decoder over stream into the open OutputFile. Returns its status; the boxes it
// raised are in BoxTexts.
StatusCode ExpandStream(const std::vector<uint8_t>& stream, const std::string& input,
                        const std::string& output) {
    static uint8_t buffer[OutputBufferSize];
    BoxTexts.clear();
    PlatformSetMessageBoxHook(NoteBox);
    StartMemoryStream(stream.data(), static_cast<uint32_t>(stream.size()));
    StreamName = input.c_str();
    ProgressWindow = nullptr;
    CopyText(TargetPath, PathSize, output.c_str());
    StartOutput(buffer, PlatformNoFile);
    OutputSink = WriteToOutputFile;
    StatusCode status = DecodeFile();
    OutputSink = nullptr;
    StreamName = nullptr;
    PlatformSetMessageBoxHook(nullptr);
    return status;
}

// Says why an expansion failed and picks the exit code: a damaged stream is bad input, a
// write that failed is a host failure.
int ReportExpandFailure(const std::vector<uint8_t>& stream, const std::string& input) {
    if (stream.size() < SizePrefixBytes) {
        PrintError(StatusText(MsgReadError, input) + " (the stream ends inside its 4-byte size: " +
                   std::to_string(stream.size()) + " bytes)");
        return ExitBadInput;
    }
    std::string read = StatusText(MsgReadError, input);
    for (const std::string& text : BoxTexts) {
        if (EscapeHostName(text) == read) {
            PrintError(read + " (the stream's codes run past its " + std::to_string(stream.size()) +
                       " bytes; all " + std::to_string(ReadU32(stream.data())) +
                       " bytes were written, the missing bits read as 0)");
            return ExitBadInput;
        }
    }
    for (const std::string& text : BoxTexts)
        PrintError(EscapeHostName(text));
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
    if (!out.file) {
        std::fclose(in);
        PrintError(StatusText(MsgWriteError, options.output));
        return ExitFailed;
    }
    FileEncoderInput input(in);
    int code = ExitOk;
    try {
        EncodeStream(input, size, out, options.best ? EncodeEffort::Best : EncodeEffort::Default);
        if (!out.Close()) throw WriteFailure{};
    } catch (const WriteFailure&) {
        PrintError(StatusText(MsgWriteError, options.output));
        code = ExitFailed;
    } catch (const std::runtime_error& e) {
        PrintError(StatusText(MsgReadError, options.input) + " (" + e.what() + ")");
        code = ExitFailed;
    }
    std::fclose(in);
    if (code != ExitOk) {
        // A stream cut short is of no use to anyone; a device or pipe named as the output
        // stays, of course.
        out.Close();
        if (std::filesystem::is_regular_file(options.output, error))
            std::filesystem::remove(options.output, error);
    }
    return code;
}

int RunExpand(const CodecOptions& options) {
    std::vector<uint8_t> stream;
    int code = ReadWhole(options.input, &stream);
    if (code != ExitOk) return code;
    if (stream.size() > 0x7FFFFFFFu) {
        PrintError(EscapeHostName(options.input) + ": " + std::to_string(stream.size()) +
                   " bytes is more than one stored stream can be (2147483647)");
        return ExitBadInput;
    }
    OutputFile = std::fopen(options.output.c_str(), "wb");
    if (!OutputFile) {
        PrintError(StatusText(MsgWriteError, options.output));
        return ExitFailed;
    }
    StatusCode status = ExpandStream(stream, options.input, options.output);
    bool closed = std::fclose(OutputFile) == 0;
    OutputFile = nullptr;
    if (status != StatusOk) return ReportExpandFailure(stream, options.input);
    if (!closed) {
        PrintError(StatusText(MsgWriteError, options.output));
        return ExitFailed;
    }
    return ExitOk;
}
