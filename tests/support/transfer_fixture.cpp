// The installation tests' shared fixture.
#include "tests/support/transfer_fixture.h"

#include "base/memory.h"
#include "base/paths.h"
#include "install/plain_copy.h"
#include "install/target_file.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "tests/support/transfer_screen_recorder.h"

#include <filesystem>

void ExpectNoTemporaryLeft(const Sandbox& box) {
    EXPECT_STREQ(TemporaryPath, "");
    std::error_code error;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(Sandbox::Host(box.Root()), error)) {
        std::string name = entry.path().filename().string();
        EXPECT_FALSE(name.rfind("~ds", 0) == 0 && name.size() > 4 &&
                     name.compare(name.size() - 4, 4, ".tmp") == 0)
            << entry.path();
    }
}

void TransferFixture::SetUp() {
    ResetTransferScreen();
}

void TransferFixture::TearDown() {
    ExpectNoTemporaryLeft(box_);
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
    ExpectNoTemporaryLeft(box_);
    EXPECT_EQ(LockedBlocksInUse(), 0);
    released_.ExpectReleased();
}

void PlainCopyFixture::Source(const std::vector<uint8_t>& bytes) {
    box_.Write(box_.Path("setup\\SRC.BIN"), bytes);
}

StatusCode PlainCopyFixture::Copy(const std::string& target) {
    return CopyPlainFile(target.c_str(), "SRC.BIN", dest_.c_str());
}
