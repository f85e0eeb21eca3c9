#include "platform/PeVersionResource.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/PeImage.h"

namespace {

bool HasVersion(const std::string& image) {
    return platform::PeImageHasVersionResource(
        [&](std::uint64_t offset, std::size_t size, unsigned char* out) {
            if (offset > image.size() || image.size() - offset < size) {
                return false;
            }
            std::memcpy(out, image.data() + offset, size);
            return true;
        });
}

}  // namespace

TEST(PeVersionResourceTest, FindsOnlyTheVersionType) {
    EXPECT_TRUE(HasVersion(MinimalPeImage(16)));
    EXPECT_FALSE(HasVersion(MinimalPeImage(3)));
    EXPECT_FALSE(HasVersion("plain text, not an image"));
    EXPECT_FALSE(HasVersion(""));
}

TEST(PeVersionResourceTest, TruncatedOrHostileImagesHaveNone) {
    const std::string image = MinimalPeImage(16);
    // The last byte read is the count of the type directory, ending at 0x428.
    for (std::size_t size = 0; size < 0x428; size += 7) {
        EXPECT_FALSE(HasVersion(image.substr(0, size))) << "cut at " << size;
    }
    std::string farHeader = image;
    farHeader[0x3C] = farHeader[0x3D] = farHeader[0x3E] = farHeader[0x3F] = '\xFF';
    EXPECT_FALSE(HasVersion(farHeader));
    std::string manyEntries = image;
    manyEntries[0x40E] = manyEntries[0x40F] = '\xFF';
    EXPECT_FALSE(HasVersion(manyEntries));
}
