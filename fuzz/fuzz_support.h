// What the fuzz targets share: a scratch drive for files and message boxes that answer
// themselves, so no input can wait on a user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Maps drive F: onto a fresh scratch directory (once per process) and returns its host path.
const std::string& FuzzDrive();
// Writes bytes to a file below the scratch drive (host path relative to it).
void FuzzWriteFile(const std::string& relative, const uint8_t* data, size_t size);
// Answers every message box: Cancel where offered, else No, Abort or OK.
void FuzzAnswerBoxes();
