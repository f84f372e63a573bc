// The name-safety rule: which catalogue Names stay in their own place, and which do not.
#include "base/name_safety.h"

#include <gtest/gtest.h>

namespace {

TEST(NameSafety, EveryNameGetsItsVerdict) {
    struct Case {
        const char* name;
        bool rootedAllowed; // the destination has a drive letter
        bool safe;
    };
    const Case cases[] = {
        // Names that stay in their place.
        {"OWN.TXT", true, true},
        {"LEVELS\\ONE.LVL", true, true},
        {"CONFIG.SYS", true, true},
        {"COM10", true, true},
        {"COM0", true, true},
        {".profile", true, true},
        {"dva.386", true, true},
        {"caf\xE9.txt", true, true},
        {"\\ROOTED\\X", true, true},
        {"\\GAMES\\OWN2.TXT", true, true},
        {"D:\\DIR\\X", true, true},
        // Rooted forms only where the destination has a drive letter.
        {"\\ROOTED\\X", false, false},
        {"D:\\DIR\\X", false, false},
        // '..' and what Windows shortens to a dot component.
        {"..\\VICTIM.TXT", true, false},
        {"SUB\\..\\..\\WINDOWS\\VICTIM.TXT", true, false},
        {"sub\\..\\x", true, false},
        {"\\..\\ROOT.TXT", true, false},
        {"C:\\GAMES\\..\\VICTIM.TXT", true, false},
        {"trail.", true, false},
        {"trail ", true, false},
        // Empty components, UNC and drive-relative forms.
        {"", true, false},
        {"a\\\\b", true, false},
        {"\\\\SRV\\SHARE\\VICTIM.TXT", true, false},
        {"\\\\srv\\share\\x", true, false},
        {"D:..\\WINDOWS\\VICTIM.TXT", true, false},
        {"D:VICTIM.TXT", true, false},
        {"c:x", true, false},
        // Characters Windows does not hold in a name, control characters included.
        {"A/../../VICTIM.TXT", true, false},
        {"st*r", true, false},
        {"what?", true, false},
        {"a<b", true, false},
        {"A\tB", true, false},
        // Device names, with or without an extension, in any case, in any component.
        {"CON", true, false},
        {"aux.txt", true, false},
        {"NUL.TXT", true, false},
        {"com3", true, false},
        {"DATA\\LPT1.DAT", true, false},
        {"sub\\LPT1.DAT", true, false},
        {"CONOUT$", true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SafeCatalogueName(c.name, c.rootedAllowed), c.safe)
            << "\"" << c.name << "\"" << (c.rootedAllowed ? "" : " without a drive letter");
}

} // namespace
