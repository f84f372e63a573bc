// The installation tests' shared fixture.
#include "tests/support/transfer_fixture.h"

#include "install/plain_copy.h"
#include "package/catalogue.h"
#include "package/memory.h"
#include "package/paths.h"
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

void PlainCopyFixture::SetUp() {
    box_.MakeDirectory(dest_);
    CopyText(SetupDir, PathSize, box_.Path("setup\\").c_str());
}

void PlainCopyFixture::TearDown() {
    EXPECT_EQ(LockedBlocksInUse(), 0);
    released_.ExpectReleased();
}

void PlainCopyFixture::Source(const std::vector<uint8_t>& bytes) {
    box_.Write(box_.Path("setup\\SRC.BIN"), bytes);
}

StatusCode PlainCopyFixture::Copy(const std::string& target) {
    return CopyPlainFile(target.c_str(), "SRC.BIN", dest_.c_str());
}
