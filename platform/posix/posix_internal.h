// Pieces that the POSIX platform's own files share with each other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Resolves a Windows path into its drive and its components ('.' and '..' applied). False for
// UNC paths, relative paths without a current directory, and drives that are not mapped.
bool ResolveWindowsPath(const char* path, char* drive, std::vector<std::string>* parts);
// The host path of resolved components: existing ones matched without regard to case.
std::string HostPathOf(char drive, const std::vector<std::string>& parts);
// The Windows path of resolved components ('C:\A\B'; 'C:\' for the root).
std::string WindowsPathOf(char drive, const std::vector<std::string>& parts);
void SetCurrentWindowsDirectory(const std::string& path);

// Whether the armed fault counter strikes on this call (and disarms it when it does).
bool FaultStrikes(int32_t& after);
