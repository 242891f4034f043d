// Every generated picture is a baseline JPEG of its kind the loader decodes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/Image.h"
#include "assets/JpegLoader.h"
#include "tests/support/DataFolder.h"

namespace {

TEST(PicturesTest, EveryPictureIsABaselineJpegOfItsKindAtItsSize) {
    for (const std::string& name : support::pictureNames()) {
        SCOPED_TRACE(name);
        const bool mask = name.find("_a.jpg") != std::string::npos;
        const int size = name.find("/photo") != std::string::npos ? 512 : 256;
        Image image;
        ASSERT_TRUE(JpegLoader().load((support::dataDir() + "/" + name).c_str(), image));
        EXPECT_EQ(image.width, size);
        EXPECT_EQ(image.height, size);
        // The first frame header: baseline, 1 or 3 components.
        const std::string bytes = support::readFile(support::dataDir() + "/" + name);
        std::size_t i = 2;
        for (int m; i + 9 < bytes.size(); i += 2 + (static_cast<unsigned char>(bytes[i + 2]) << 8 | static_cast<unsigned char>(bytes[i + 3]))) {
            m = static_cast<unsigned char>(bytes[i + 1]);
            if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) break;
        }
        ASSERT_LT(i + 9, bytes.size());
        EXPECT_EQ(static_cast<unsigned char>(bytes[i + 1]), 0xC0) << "not a baseline frame";
        EXPECT_EQ(bytes[i + 9], mask ? 1 : 3);
    }
}

}  // namespace
