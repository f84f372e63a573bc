// Laying a package's disks out as FAT12 floppy images.
#include "pack/disk_images.h"

#include "fat/image_writer.h"
#include "pack/pack_error.h"
#include "pack/package_output.h"
#include "package/catalogue.h"

#include <cstring>

namespace {

constexpr uint32_t FilesOnDiskOne = 3; // catalogue, setup program, Volume

// FNV-1a over the title and the disk number: a serial number that differs from disk to disk
// and from package to package, and never from run to run.
uint32_t SerialOf(const std::string& title, uint32_t disk) {
    uint32_t hash = 2166136261u;
    std::string text = title + '\0' + std::to_string(disk);
    for (unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

// The ANSI title as the catalogue's header holds it.
std::string TitleOf(const PackageImage& image) {
    const char* title =
        reinterpret_cast<const char*>(image.catalogue.data()) + 4 + HeaderProgramNameSize;
    return std::string(title, strnlen(title, HeaderTitleSize));
}

} // namespace

uint64_t ImageDiskSize(const FatGeometry& geometry) {
    return FloppyCapacity(geometry, FilesOnDiskOne);
}

std::vector<std::vector<uint8_t>> BuildDiskImages(const PackageImage& image,
                                                  const FatGeometry& geometry) {
    std::string title = TitleOf(image);
    std::string label = VolumeLabelFrom(title);
    std::vector<std::vector<uint8_t>> images;
    for (size_t disk = 0; disk < image.volumes.size(); ++disk) {
        std::vector<FloppyFile> files;
        if (disk == 0) {
            files.push_back({image.catalogueName, &image.catalogue});
            if (!image.setupProgramName.empty())
                files.push_back({image.setupProgramName, &image.setupProgram});
        }
        files.push_back({image.volumeName, &image.volumes[disk]});
        uint32_t number = static_cast<uint32_t>(disk + 1);
        std::string problem = MakeFloppyImage(geometry, label, SerialOf(title, number), files,
                                              &images.emplace_back());
        if (!problem.empty())
            throw PackError(
                "disk " + std::to_string(number) + " does not fit its " +
                std::to_string(uint64_t{geometry.totalSectors} * geometry.bytesPerSector / 1024) +
                " KB image: " + problem);
    }
    return images;
}

std::vector<std::string> WriteDiskImages(const std::vector<std::vector<uint8_t>>& images,
                                         const std::string& directory) {
    std::vector<OutputFile> files;
    for (size_t disk = 0; disk < images.size(); ++disk)
        files.push_back({"disk" + std::to_string(disk + 1) + ".img", &images[disk]});
    return CommitPackageFiles(files, directory);
}
