// Runs the LZHUF decoder over a stored stream held in memory and collects what it writes,
// for the codec tests and for any test that checks an encoder's stream.
#pragma once

#include "base/messages.h"
#include "lzhuf/encoder.h"
#include "platform/platform.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct Expansion {
    StatusCode status = StatusOk;
    std::vector<uint8_t> bytes;   // everything the writer handed on, in order
    std::vector<uint32_t> writes; // the size of each write
};

// Faults of the collecting sink: after this many more writes the next one takes only
// shortBytes (a full disk) or fails (-1); -1 for never. Each strikes once.
struct SinkFaults {
    int32_t shortAfter = -1;
    uint32_t shortBytes = 0;
    int32_t failAfter = -1;
};
SinkFaults& CollectingSinkFaults();

// The reference streams (name.lzh with the original name.orig; damaged ones in truncated/).
inline const std::string VectorDir = DISKSETUP_TEST_DATA_DIR "/lzhuf/";
// The files of dir whose extension is extension (".lzh"), sorted by path.
std::vector<std::filesystem::path> FilesEndingIn(const std::string& dir,
                                                 const std::string& extension);

// Decodes stream (size prefix and bits) through ExpandInto into file, opened as target, with
// no record being read and streamName naming the stream in a damage report.
StatusCode DecodeMemoryStream(const std::vector<uint8_t>& stream, const std::string& target,
                              PlatformFile file, const char* streamName = nullptr);

// Decodes stream (size prefix and bits) through ExpandInto into memory, with no record being
// read and streamName naming the stream in a damage report.
Expansion ExpandInMemory(const std::vector<uint8_t>& stream, const char* streamName = "stream.lzh");

// The longest symbol code, in bits, among the stream's codes, and the number of symbols.
struct CodeStatistics {
    unsigned longestCode = 0;
    uint64_t symbols = 0;
};
CodeStatistics MeasureCodes(const std::vector<uint8_t>& stream);

// A parse whose adaptive code grows 18 levels deep, so its stream holds codes of 17 bits and
// more: match lengths 3 to 11 in Fibonacci proportions (taken in a fixed smooth rotation), a
// random literal every 300th token, random positions within the initial spaces' reach, about
// 100000 tokens (several rebuilds). *expanded receives the bytes it stands for.
std::vector<LzhufToken> DeepCodeParse(std::vector<uint8_t>* expanded);
