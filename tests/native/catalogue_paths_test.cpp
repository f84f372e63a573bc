// Catalogue loading from a drive root, which only the POSIX drive mapping can stage safely.
#include "package/catalogue.h"
#include "tests/support/catalogue_bytes.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

namespace {

TEST(CatalogueAtDriveRoot, SetupDirIsTheRootItself) {
    Sandbox box;
    box.Write("C:\\SETUP.bin", CatalogueBytes("XXXX", "GAME.EXE", "Game", {}));
    PlatformOverrideProgramPath("C:\\SETUP.EXE");
    ASSERT_EQ(LoadCatalogue(), StatusOk);
    EXPECT_STREQ(SetupDir, "C:\\");
    EXPECT_STREQ(ErrorSubject, "C:\\SETUP.bin");
    EXPECT_STREQ(CatalogueName, "SETUP.bin");
    ReleaseCatalogue();
}

} // namespace
