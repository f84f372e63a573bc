// The graphics flags: which driver the installed applications use, kept as one integer under
// "grmf" in section "setup" of the shared settings file "zom.ini" in the Windows directory.
#pragma once

#include "resources/resource_ids.h"

#include <cstdint>

// Bits of the flags word. The low four bits are carried along unchanged; every other bit
// besides the two driver bits is kept when read and cleared whenever a new driver is chosen.
constexpr int32_t GraphicsOptimised = 0x20;
constexpr int32_t GraphicsWinG = 0x40;
constexpr int32_t GraphicsCarriedBits = 0x0F;

// The value taken when the settings file holds none: the optimised driver, low bits 0x03.
constexpr int32_t GraphicsFlagsDefault = 35;
// The default handed to the profile read; a result of 100 counts as no value at all.
constexpr int32_t GraphicsFlagsAbsent = 100;

// Where the value lives; the file name has no directory, so it is the Windows directory's.
extern const char GraphicsSection[]; // "setup"
extern const char GraphicsKey[];     // "grmf"
extern const char GraphicsFile[];    // "zom.ini"

// The radio buttons of the driver dialog, one per driver.
enum : int {
    DriverButtonOptimised = ItemDriverOptimised,
    DriverButtonStandard = ItemDriverStandard,
    DriverButtonWinG = ItemDriverWinG,
};

// Set once at start-up; afterwards only an OK in the driver dialog changes GraphicsFlags.
extern int32_t GraphicsFlags;
// True when the settings file held a value at start-up (an earlier installation wrote it).
extern bool GraphicsFlagsStored;

// Turns the result of the profile read into GraphicsFlags and GraphicsFlagsStored: 100 means
// no value (flags 35, not stored); anything else, 0 included, is the stored value.
void TakeGraphicsFlags(uint32_t profileValue);
// The start-up read: the profile value of "grmf" with default 100, through TakeGraphicsFlags.
void ReadGraphicsFlags();

// Prints value with "%d" into a 16-byte text and stores it under key in section of file.
// Returns whether the file was written; the setup program goes on either way, since the
// setting only matters to the installed applications.
bool WriteIniInt(const char* section, const char* key, int32_t value, const char* file);
// Stores GraphicsFlags under "grmf" in "zom.ini"; false when the file could not be written.
bool StoreGraphicsFlags();

// The radio button that shows flags: the optimised bit wins over the WinG bit; with neither,
// the standard driver.
int GraphicsButtonForFlags(int32_t flags);
// The flags after choosing button: the low four bits of flags with the chosen driver's bit;
// every other bit is cleared. An unknown button counts as the standard driver.
int32_t GraphicsFlagsForButton(int32_t flags, int button);
