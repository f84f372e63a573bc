// The disksetup command as a whole. Install speed: packs the corpus into packages of about 1,
// 20 and 100 MB with `disksetup pack --dir`, installs each with `disksetup install --yes`, and
// reports the install's throughput beside the decoder's own on the same bytes, and its peak
// resident memory. Encoder memory: `disksetup compress` over a 1 MB and a 1 GB input (sparse
// files of zero bytes, which cost no disk space), its peak resident memory and speed. Image
// memory: `disksetup test` of a package on four 32 MB FAT16 images (made by mkfs.fat and mcopy),
// its peak resident memory, which the images' FATs and directories bound, not their size.
#include "lzhuf/encoder.h"

#include "bench/bench_corpus.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Package {
    const char* name;
    size_t divisor; // each part of the corpus cut to this fraction
    int copies;     // and written this many times
};
constexpr Package Packages[] = {{"1 MB", 20, 1}, {"20 MB", 1, 1}, {"100 MB", 1, 5}};

constexpr const char* TimeProgram = "/usr/bin/time";

struct Outcome {
    bool ok = false;
    double seconds = 0;      // processor time, user and system, of the program and its children
    long peakKilobytes = -1; // the program's maximum resident set; -1 when unknown
};

// Runs a program with its output discarded and no terminal, and times it in processor time, as
// the decoder's own figures are, so that other programs on the machine do not count. A child
// forked from this process would count this process's memory as its own peak, so the peak
// comes from /usr/bin/time (a small process in between) when the host has it.
Outcome RunProgram(std::vector<std::string> args, const fs::path& peakFile = {}) {
    bool measurePeak = !peakFile.empty() && access(TimeProgram, X_OK) == 0;
    if (measurePeak) args.insert(args.begin(), {TimeProgram, "-f", "%M", "-o", peakFile.string()});
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Outcome outcome;
    int status = 0;
    rusage
        usage{}; // the child's, with the children it waited for (the program under /usr/bin/time)
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return outcome;
    outcome.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    outcome.seconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                      usage.ru_stime.tv_usec / 1e6;
    if (measurePeak && !(std::ifstream(peakFile) >> outcome.peakKilobytes))
        outcome.peakKilobytes = -1;
    return outcome;
}

// Writes the package's files below dir; returns their total size.
uint64_t WriteFiles(const std::vector<Part>& parts, const Package& package, const fs::path& dir) {
    fs::create_directories(dir);
    uint64_t total = 0;
    for (int copy = 1; copy <= package.copies; ++copy) {
        for (const Part& part : parts) {
            size_t size = part.bytes.size() / package.divisor;
            std::ofstream(dir / (std::to_string(copy) + "-" + part.name + ".dat"), std::ios::binary)
                .write(reinterpret_cast<const char*>(part.bytes.data()),
                       static_cast<std::streamsize>(size));
            total += size;
        }
    }
    return total;
}

// Our decoder's throughput over the whole corpus, each part one stream.
double DecoderMegabytesPerSecond(const std::vector<Part>& parts) {
    uint64_t total = 0;
    double seconds = 0;
    for (const Part& part : parts) {
        std::vector<uint8_t> stream = EncodeStoredStream(part.bytes.data(), part.bytes.size());
        seconds += BestSeconds([&] { DecodeOurs(stream); });
        total += part.bytes.size();
    }
    return MegabytesPerSecond(total, seconds);
}

void MeasurePackage(const std::vector<Part>& parts, const Package& package, const fs::path& work,
                    double decode) {
    fs::path files = work / "files", disks = work / "package";
    uint64_t bytes = WriteFiles(parts, package, files);
    Outcome packed = RunProgram({DISKSETUP_CLI, "pack", "--dir", files.string(), "--program",
                                 "bench.exe", "--title", "Bench", "-o", disks.string()});
    Outcome best;
    for (int round = 0; packed.ok && round < Rounds; ++round) {
        fs::path root = work / ("root" + std::to_string(round));
        Outcome run = RunProgram({DISKSETUP_CLI, "install", (disks / "disk1").string(), "--root",
                                  root.string(), "--yes"},
                                 work / "peak.txt");
        fs::remove_all(root);
        if (!run.ok) {
            best.ok = false;
            break;
        }
        if (!best.ok || run.seconds < best.seconds) best.seconds = run.seconds;
        best.peakKilobytes = std::max(best.peakKilobytes, run.peakKilobytes);
        best.ok = true;
    }
    const char* name = package.name;
    std::printf("install %s: input bytes: %llu\n", name, static_cast<unsigned long long>(bytes));
    if (!best.ok) {
        std::printf("install %s: FAILED (%s)\n", name, packed.ok ? "install" : "pack");
    } else {
        double speed = MegabytesPerSecond(bytes, best.seconds);
        std::printf("install %s: processor seconds: %.3f\n", name, best.seconds);
        std::printf("install %s: install MB/s: %.1f\n", name, speed);
        std::printf("install %s: install / decoder speed: %.2f\n", name, speed / decode);
        if (best.peakKilobytes >= 0)
            std::printf("install %s: peak resident KB: %ld\n", name, best.peakKilobytes);
        else
            std::printf("install %s: peak resident KB: unknown (no %s)\n", name, TimeProgram);
    }
    fs::remove_all(work);
}

// A sparse file of size zero bytes.
void MakeSparseFile(const fs::path& path, uintmax_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).close();
    fs::resize_file(path, size);
}

void MeasureCompressMemory(const fs::path& work) {
    fs::create_directories(work);
    struct Input {
        const char* name;
        uintmax_t size;
    };
    for (Input input : {Input{"1 MB", uintmax_t{1} << 20}, Input{"1 GB", uintmax_t{1} << 30}}) {
        fs::path file = work / "zeros", stream = work / "zeros.lzh";
        MakeSparseFile(file, input.size);
        Outcome run = RunProgram({DISKSETUP_CLI, "compress", file.string(), stream.string()},
                                 work / "peak.txt");
        if (!run.ok) {
            std::printf("compress %s: FAILED\n", input.name);
            continue;
        }
        std::printf("compress %s: encode MB/s: %.1f\n", input.name,
                    MegabytesPerSecond(input.size, run.seconds));
        std::printf("compress %s: peak resident KB: %ld\n", input.name, run.peakKilobytes);
    }
    fs::remove_all(work);
}

// Total bytes of the regular files below dir.
uintmax_t BytesBelow(const fs::path& dir) {
    uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file()) total += entry.file_size();
    return total;
}

// Puts the files of folder into a new 32 MB FAT16 image at image, by the host's own tools.
bool MakeFat16Image(const fs::path& folder, const fs::path& image) {
    if (!RunProgram({"/sbin/mkfs.fat", "-C", "-F", "16", image.string(), "32768"}).ok) return false;
    for (const auto& entry : fs::directory_iterator(folder))
        if (!RunProgram({"/usr/bin/mcopy", "-i", image.string(), entry.path().string(), "::"}).ok)
            return false;
    return true;
}

void MeasureImageMemory(const std::vector<Part>& parts, const fs::path& work) {
    fs::path files = work / "files", folders = work / "folders";
    WriteFiles(parts, Package{"images", 1, 1}, files);
    // One disk first, to learn the Volume's size; then four disks that share it.
    std::vector<std::string> pack = {DISKSETUP_CLI, "pack",          "--dir",   files.string(),
                                     "--program",   "bench.exe",     "--title", "Bench",
                                     "-o",          folders.string()};
    bool ok = RunProgram(pack).ok;
    uintmax_t volume = ok ? BytesBelow(folders) : 0;
    fs::remove_all(folders);
    pack.insert(pack.end(), {"--disk-size", std::to_string(volume / 4 + (256 << 10))});
    ok = ok && volume / 4 < (30u << 20) && RunProgram(pack).ok;
    int disks = 0;
    for (; ok && fs::exists(folders / ("disk" + std::to_string(disks + 1))); ++disks)
        ok = MakeFat16Image(folders / ("disk" + std::to_string(disks + 1)),
                            work / ("disk" + std::to_string(disks + 1) + ".img"));
    Outcome run;
    if (ok)
        run = RunProgram({DISKSETUP_CLI, "test", (work / "disk1.img").string()}, work / "peak.txt");
    if (!run.ok)
        std::printf("test of 32 MB FAT16 images: FAILED (needs mkfs.fat and mcopy)\n");
    else
        std::printf("test of %d x 32 MB FAT16 images: peak resident KB: %ld\n", disks,
                    run.peakKilobytes);
    fs::remove_all(work);
}

} // namespace

int main() {
    std::vector<Part> parts = GatherCorpus();
    parts.erase(
        std::remove_if(parts.begin(), parts.end(), [](const Part& p) { return p.bytes.empty(); }),
        parts.end());
    double decode = DecoderMegabytesPerSecond(parts);
    std::printf("install: decode MB/s (ours, in memory, same corpus): %.1f\n", decode);
    fs::path base = fs::path(BENCH_WORK_DIR) / ("ds-command-bench-" + std::to_string(getpid()));
    MeasureCompressMemory(base / "compress");
    MeasureImageMemory(parts, base / "images");
    for (const Package& package : Packages)
        MeasurePackage(parts, package, base / package.name, decode);
    fs::remove_all(base);
    return 0;
}
