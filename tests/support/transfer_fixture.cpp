// The installation tests' shared fixture.
#include "tests/support/transfer_fixture.h"

#include "package/catalogue.h"
#include "package/memory.h"
#include "package/volume.h"
#include "tests/support/transfer_screen_recorder.h"

void TransferFixture::SetUp() { ResetTransferScreen(); }

void TransferFixture::TearDown() {
    ReleaseVolumeReader();
    ReleaseCatalogue();
    EXPECT_EQ(LockedBlocksInUse(), 0);
    released_.ExpectReleased();
}

void TransferFixture::Load(const TestPackage& package) {
    box_.MakeDirectory(dest_);
    ASSERT_EQ(InstallTestPackage(box_, package, box_.Path("pkg\\"), dest_), 0);
}
