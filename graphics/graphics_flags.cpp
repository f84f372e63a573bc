// The graphics flags: the start-up read, the write, and the driver rules of the dialog.
#include "graphics/graphics_flags.h"

#include "base/text_format.h"
#include "platform/platform.h"

const char GraphicsSection[] = "setup";
const char GraphicsKey[] = "grmf";
const char GraphicsFile[] = "zom.ini";

int32_t GraphicsFlags = GraphicsFlagsDefault;
bool GraphicsFlagsStored = false;

void TakeGraphicsFlags(uint32_t profileValue) {
    int32_t value = static_cast<int32_t>(profileValue);
    GraphicsFlagsStored = value != GraphicsFlagsAbsent;
    GraphicsFlags = GraphicsFlagsStored ? value : GraphicsFlagsDefault;
}

void ReadGraphicsFlags() {
    TakeGraphicsFlags(
        PlatformReadIniInt(GraphicsSection, GraphicsKey, GraphicsFlagsAbsent, GraphicsFile));
}

bool WriteIniInt(const char* section, const char* key, int32_t value, const char* file) {
    char text[16] = {}; // "-2147483648" and the terminator fit
    FormatText(text, sizeof text, "%d", static_cast<int>(value));
    return PlatformWriteIniString(section, key, text, file);
}

bool StoreGraphicsFlags() {
    return WriteIniInt(GraphicsSection, GraphicsKey, GraphicsFlags, GraphicsFile);
}

int GraphicsButtonForFlags(int32_t flags) {
    if (flags & GraphicsOptimised) return DriverButtonOptimised;
    if (flags & GraphicsWinG) return DriverButtonWinG;
    return DriverButtonStandard;
}

int32_t GraphicsFlagsForButton(int32_t flags, int button) {
    int32_t kept = flags & GraphicsCarriedBits;
    if (button == DriverButtonOptimised) return kept | GraphicsOptimised;
    if (button == DriverButtonWinG) return kept | GraphicsWinG;
    return kept;
}
