// The PE version reader on generated images, a real cross-compiled one, and damaged inputs.
#include "base/pe_version.h"
#include "tests/support/pe_image.h"

#include <gtest/gtest.h>

namespace {

bool Read(const std::vector<uint8_t>& image, uint32_t* ms, uint32_t* ls) {
    return ReadPeFileVersion(image.data(), image.size(), ms, ls);
}

TEST(PeVersion, ReadsFixedFileVersionFromPe32AndPe64) {
    for (bool pe64 : {false, true}) {
        PeImageOptions o;
        o.pe64 = pe64;
        o.versionMs = 0x00030001;
        o.versionLs = 0x00020007;
        uint32_t ms = 0, ls = 0;
        ASSERT_TRUE(Read(BuildPeImage(o), &ms, &ls)) << "pe64=" << pe64;
        EXPECT_EQ(ms, 0x00030001u);
        EXPECT_EQ(ls, 0x00020007u);
    }
}

TEST(PeVersion, ImageWithoutVersionResourceHasNone) {
    PeImageOptions o;
    o.withVersion = false;
    uint32_t ms = 7, ls = 7;
    EXPECT_FALSE(Read(BuildPeImage(o), &ms, &ls));
    EXPECT_FALSE(ReadPeFileVersion(nullptr, 0, &ms, &ls));
    std::vector<uint8_t> text(400, 'x');
    EXPECT_FALSE(Read(text, &ms, &ls));
}

TEST(PeVersion, WrongSignatureIsNoVersion) {
    auto image = BuildPeImage({});
    image[PeFixedInfoOffset] ^= 0xFF;
    uint32_t ms, ls;
    EXPECT_FALSE(Read(image, &ms, &ls));
}

// Every prefix of the image, and every single damaged byte, is answered without reading
// outside the buffer (the sanitizer build checks the reads); a prefix that cuts the version
// block short has no version.
TEST(PeVersion, TruncatedAndDamagedImagesStayInBounds) {
    auto image = BuildPeImage({});
    uint32_t ms, ls;
    for (size_t n = 0; n < image.size(); ++n) {
        std::vector<uint8_t> prefix(image.begin(), image.begin() + n);
        prefix.shrink_to_fit();
        // The version can be read once the block holding it is whole.
        bool whole = n >= PeFixedInfoOffset + 52;
        EXPECT_EQ(Read(prefix, &ms, &ls), whole) << "prefix " << n;
    }
    for (size_t at = 0; at < PeFixedInfoOffset; ++at) {
        for (uint8_t value : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0xFF}}) {
            auto damaged = image;
            damaged[at] = value;
            Read(damaged, &ms, &ls);
        }
    }
}

} // namespace
