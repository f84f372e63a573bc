// Pieces that the POSIX platform's own files share with each other.
#pragma once

#include "platform/platform.h"

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct FatImage;

// Resolves a Windows path into its drive and its components ('.' and '..' applied). False for
// UNC paths, relative paths without a current directory, and drives that are not mapped.
bool ResolveWindowsPath(const char* path, char* drive, std::vector<std::string>* parts);
// The host path of resolved components: existing ones matched without regard to case.
std::string HostPathOf(char drive, const std::vector<std::string>& parts);
// The Windows path of resolved components ('C:\A\B'; 'C:\' for the root).
std::string WindowsPathOf(char drive, const std::vector<std::string>& parts);
void SetCurrentWindowsDirectory(const std::string& path);

// Whether host names a regular file (a directory opens on POSIX, but is no file on Windows).
bool IsRegularFile(const std::string& host);
// Copies the length characters of text into buffer of size bytes (size > 0), cut to size - 1
// and NUL-terminated. Returns the characters copied.
inline size_t CopyBounded(char* buffer, size_t size, const char* text, size_t length) {
    size_t n = length < size ? length : size - 1;
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
    return n;
}

// Whether the armed fault counter after (a member of PosixFaultPlan()) strikes on this call,
// and disarms it when it does (faults.cpp).
bool FaultStrikes(int32_t& after);

// Opens the file at a Windows path on a host directory (open's flags and mode) without
// leaving its drive's root: a symbolic link on the way, or the file itself, that leads out is
// not followed (-1 with errno EXDEV or ELOOP) and is noted for PosixTakeRefusedLinks.
int OpenBeneath(const char* path, int flags, mode_t mode);
// The directory that holds the file at path, opened as OpenBeneath opens (O_PATH), for the
// *at calls on the file's own name, which *name receives. -1 when it cannot be opened.
int OpenParentBeneath(const char* path, std::string* name);

// The disk image that drive is mapped onto, or null for a host directory or no mapping.
const FatImage* DriveImage(char drive);
// The image that path lies on, with its components; null for a path on a host directory.
const FatImage* ImageOf(const char* path, std::vector<std::string>* parts);

// Files of image drives (image_drive.cpp). OpenImageFileAt gives a handle to a copy of the file
// that the components name, or PlatformNoFile when they name no file.
PlatformFile OpenImageFileAt(const FatImage& image, const std::vector<std::string>& parts);
bool IsImageDirectory(const FatImage& image, const std::vector<std::string>& parts);
bool IsImageFile(PlatformFile file);
int32_t ReadImageFile(PlatformFile file, void* buffer, uint32_t count);
int32_t SeekImageFile(PlatformFile file, int32_t offset, int origin);
void CloseImageFile(PlatformFile file);
