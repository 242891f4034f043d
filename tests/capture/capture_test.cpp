// The capture tool's parts: the picture's place, sizes, the music read anywhere.
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tools/capture/MusicTrack.h"
#include "tools/capture/Picture.h"

namespace {

namespace fs = std::filesystem;
using capture::fitPicture;
using capture::Placement;

void expectPlacement(const Placement& p, int x, int y, int width, int height) {
    EXPECT_EQ(std::vector<int>({p.x, p.y, p.width, p.height}), std::vector<int>({x, y, width, height}));
}

TEST(CaptureTest, PlacementKeepsTheAspectCentredAndEvenForChroma) {
    expectPlacement(fitPicture(640, 480, 640, 480, true), 0, 0, 640, 480);
    expectPlacement(fitPicture(640, 480, 1280, 960, true), 0, 0, 1280, 960);
    expectPlacement(fitPicture(640, 480, 1920, 1080, true), 240, 0, 1440, 1080);
    expectPlacement(fitPicture(640, 480, 1280, 720, true), 160, 0, 960, 720);
    expectPlacement(fitPicture(640, 480, 480, 640, true), 0, 140, 480, 360);
    // 100 x 4/3 = 133.3: 134 wide when even, centred on an even column.
    expectPlacement(fitPicture(640, 480, 320, 100, true), 92, 0, 134, 100);
    expectPlacement(fitPicture(640, 480, 320, 100, false), 93, 0, 133, 100);
    // Degenerate sizes place nothing rather than divide by zero.
    expectPlacement(fitPicture(0, 480, 320, 100, true), 0, 0, 0, 0);
}

TEST(CaptureTest, SizesAreEvenAndWithinBounds) {
    int w = 0, h = 0;
    EXPECT_TRUE(capture::parseSize("1920x1080", w, h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(1920, 1080));
    for (const char* bad : {"641x480", "640x481", "640", "x480", "640x480x2", "8x8", "9000x480", "-640x480", "640X480 "})
        EXPECT_FALSE(capture::parseSize(bad, w, h)) << bad;
    EXPECT_EQ(w, 1920);
}

TEST(CaptureTest, MusicReadsSilenceAroundTheMusicAndTheSameSamplesWhereverItStarts) {
    support::TempDir folder;
    ASSERT_TRUE(support::writeToneOgg(folder.file("tone.ogg"), 1.0));
    capture::MusicTrack music;
    std::string error;
    ASSERT_TRUE(music.open(folder.file("tone.ogg"), error)) << error;
    EXPECT_EQ(std::vector<long>({music.rate(), music.channels(), long(music.length())}), std::vector<long>({44100, 2, 44100}));

    // Straight through, in uneven pieces.
    std::vector<float> left(44100), right(44100);
    for (int done = 0; done < 44100;) {
        const int count = std::min(1000 + done % 777, 44100 - done);
        float* planes[2] = {left.data() + done, right.data() + done};
        ASSERT_TRUE(music.read(done, count, planes));
        done += count;
    }
    EXPECT_NEAR(left[11025 / 10], 0.2 * std::sin(2.0 * M_PI * 440.0 * 1102 / 44100.0), 0.02);

    // Straddling the start: silence, then the first samples again.
    std::vector<float> a(300), b(300);
    float* planes[2] = {a.data(), b.data()};
    ASSERT_TRUE(music.read(-100, 300, planes));
    for (int i = 0; i < 100; ++i) ASSERT_EQ(a[i], 0.0f);
    for (int i = 100; i < 300; ++i) ASSERT_EQ(a[i], left[i - 100]) << i;

    // A jump into the middle (a seek) gives the samples read in order.
    ASSERT_TRUE(music.read(30000, 300, planes));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(a[i], left[30000 + i]) << i;

    // Straddling the end: the last samples, then silence.
    ASSERT_TRUE(music.read(44000, 300, planes));
    for (int i = 0; i < 100; ++i) ASSERT_EQ(a[i], left[44000 + i]) << i;
    for (int i = 100; i < 300; ++i) ASSERT_EQ(a[i], 0.0f);
}

// Not music: refused in words; a pipe or a device without being read.
TEST(CaptureTest, MusicRefusesWhatIsNotMusicInWords) {
    support::TempDir folder;
    ASSERT_TRUE(support::writeFlatJpeg(folder.file("picture.ogg"), 8, 8, 1, 2, 3));
    fs::create_directory(folder.file("folder.ogg"));
    ASSERT_EQ(mkfifo(folder.file("pipe.ogg").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder.file("device.ogg"));
    const std::pair<const char*, const char*> cases[] = {
        {"none.ogg", "No such file or directory"},   {"picture.ogg", "is not an Ogg Vorbis file"},
        {"folder.ogg", "it is a folder, not a file"}, {"pipe.ogg", "it is a named pipe, not a file"},
        {"device.ogg", "it is a device, not a file"},
    };
    for (const auto& [name, said] : cases) {
        capture::MusicTrack music;
        std::string error;
        EXPECT_FALSE(music.open(folder.file(name), error));
        EXPECT_NE(error.find(name), std::string::npos) << error;
        EXPECT_NE(error.find(said), std::string::npos) << error;
    }
}

}  // namespace
