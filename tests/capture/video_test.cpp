// salute-capture as a renderer: the video's frames, streams and timing,
// the music's place in it, scaling, the PNG sequence, determinism, and
// how it fails and stops.
#include <signal.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "tests/capture/MediaProbe.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// Seconds one frame lasts at the given rate.
double step(double numerator, double denominator = 1.0) { return denominator / numerator; }

class VideoTest : public ::testing::Test {
protected:
    // A data folder with a tone as the music and no pictures: every frame
    // shows the grey background, so pictures can be checked exactly.
    void SetUp() override {
        ASSERT_TRUE(support::writeToneOgg(data.file("90secver.ogg"), 5.0));
        fs::create_directory(data.file("textures"));
    }

    support::RunResult capture(std::vector<std::string> arguments) {
        std::vector<std::string> argv = {support::capturePath(), "--data", data.path()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return support::runProcess(argv, out.path(), {}, 240);
    }

    support::TempDir data;
    support::TempDir out;
};

// Every frame (demoTime 0, 1/rate, ... up to the last before 2 s) at the
// rate's own times, and the music where the program's play call was: right
// after presenting its first frame, one frame step later on the virtual clock.
TEST_F(VideoTest, ShortCaptureHasEveryFrameBothStreamsAndTheMusicWhereThePlayCallWas) {
    struct Case {
        const char* fps;
        int numerator, denominator;
        std::size_t frames;
    };
    for (const Case& c : {Case{"30", 30, 1, 60}, Case{"24000/1001", 24000, 1001, 48}}) {
        SCOPED_TRACE(c.fps);
        const support::RunResult run = capture({"--video", "short.mp4", "--fps", c.fps, "--to", "2"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        // Not on a terminal: the progress by tenths, a line each.
        for (int percent = 10; percent <= 90; percent += 10)
            EXPECT_NE(run.err.find("salute-capture: " + std::to_string(percent) + "% ("), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\r'), std::string::npos);
        EXPECT_FALSE(fs::exists(out.file("short.mp4.part")));
        const probe::Media media = probe::read(out.file("short.mp4"));
        ASSERT_TRUE(media.ok && media.hasAudio());
        EXPECT_EQ(media.codecs, "h264 yuv420p aac");
        EXPECT_EQ(std::vector<int>({media.width, media.height, media.rateNumerator, media.rateDenominator,
                                    media.sampleRate, media.channels}),
                  std::vector<int>({640, 480, c.numerator, c.denominator, 44100, 2}));
        ASSERT_EQ(media.frameTimes.size(), c.frames);
        for (std::size_t k = 0; k < c.frames; ++k)
            EXPECT_NEAR(media.frameTimes[k], static_cast<double>(k) * step(c.numerator, c.denominator), 1e-4) << k;
        EXPECT_NEAR(media.firstSoundAt(0.1f), step(c.numerator, c.denominator), 0.002);
        EXPECT_NEAR(static_cast<double>(media.audio.size()) / media.sampleRate, 2.0, 0.03);  // ends with the video
    }
}

// Made twice: the same bytes.
TEST_F(VideoTest, LaterSpanStartsAtItsFirstFrameWithTheMusicAlreadyPlaying) {
    for (const char* name : {"late.mkv", "again.mkv"})
        ASSERT_EQ(capture({"--video", name, "--fps", "30", "--from", "1", "--to", "1.5", "--quiet"}).exitCode, 0);
    EXPECT_EQ(support::readFile(out.file("late.mkv")), support::readFile(out.file("again.mkv")));
    const probe::Media media = probe::read(out.file("late.mkv"));
    ASSERT_TRUE(media.ok);
    // demoTime runs a hair fast (the clock drops the counter's low bits),
    // so the frame at 30/30 s already reads past 1 s: frames 30 .. 44.
    ASSERT_EQ(media.frameTimes.size(), 15u);
    ASSERT_TRUE(media.hasAudio());
    // Matroska shifts both streams by the AAC encoder's priming: measure
    // from the first picture. Cut, not delayed: sound from the first
    // picture on, for the span's length.
    const double start = media.frameTimes.front();
    EXPECT_NEAR(media.firstSoundAt(0.1f) - start, 0.0, 0.002);
    EXPECT_NEAR(static_cast<double>(media.audio.size()) / media.sampleRate - start, 0.5, 0.03);
}

// From the second frame on, the background is grey 0.2 (51) and the
// untextured particles white fading into it: nothing in the picture is
// black, while the bars are.
void expectLetterbox(const probe::Picture& picture, int x, int y, int width, int height) {
    // The encoding is lossy: allow its ringing a few pixels from an edge.
    const auto grey = [&](int px, int py) { return *std::min_element(picture.at(px, py), picture.at(px, py) + 3) >= 40; };
    const auto black = [&](int px, int py) { return *std::max_element(picture.at(px, py), picture.at(px, py) + 3) <= 12; };
    // Two pixels in from every edge of the picture, and four outside it.
    for (int py = y + 2; py < y + height - 2; py += 7) {
        EXPECT_TRUE(grey(x + 2, py) && grey(x + width - 3, py)) << "picture's sides at y " << py;
        EXPECT_TRUE((x == 0 || black(x - 4, py)) && (x + width == picture.width || black(x + width + 3, py))) << py;
    }
    for (int px = x + 2; px < x + width - 2; px += 7) {
        EXPECT_TRUE(grey(px, y + 2) && grey(px, y + height - 3)) << "picture's top and bottom at x " << px;
        EXPECT_TRUE((y == 0 || black(px, y - 4)) && (y + height == picture.height || black(px, y + height + 3))) << px;
    }
}

TEST_F(VideoTest, SizeKeepsTheAspectWithCentredPictureBetweenBlackBars) {
    struct Case {
        const char* size;
        int width, height;             // the output
        int x, y, pictureW, pictureH;  // where the 4:3 picture lies
    };
    // Wide: 4:3 of the full height, centred; tall: of the full width.
    const Case cases[] = {{"320x180", 320, 180, 40, 0, 240, 180}, {"240x320", 240, 320, 0, 70, 240, 180}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const std::string name = std::string("sized_") + c.size + ".mp4";
        const support::RunResult run = capture({"--video", name, "--size", c.size, "--fps", "10", "--to", "0.3", "--quiet"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const probe::Media media = probe::read(out.file(name), {2});
        ASSERT_TRUE(media.ok && media.keptPictures.size() == 1u);
        EXPECT_EQ(std::make_pair(media.width, media.height), std::make_pair(c.width, c.height));
        expectLetterbox(media.keptPictures[0], c.x, c.y, c.pictureW, c.pictureH);
    }
}

TEST_F(VideoTest, PngSequenceAndLosslessVideoHoldTheSameExactPixels) {
    const support::RunResult run =
        capture({"--video", "exact.mkv", "--lossless", "--png", "frames", "--fps", "10", "--to", "0.5", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const probe::Media media = probe::read(out.file("exact.mkv"), {0, 1, 2, 3, 4});
    ASSERT_TRUE(media.ok);
    ASSERT_EQ(media.keptPictures.size(), 5u);
    EXPECT_FALSE(fs::exists(out.file("frames/000006.png")));
    for (int k = 0; k < 5; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "frames/%06d.png", k + 1);
        SCOPED_TRACE(name);
        const support::Png png = support::readPng(out.file(name));
        ASSERT_TRUE(png.ok && png.width == 640 && png.height == 480);
        std::vector<std::uint8_t> rgb, alpha;
        for (std::size_t i = 0; i < png.rgba.size(); ++i) (i % 4 == 3 ? alpha : rgb).push_back(png.rgba[i]);
        EXPECT_TRUE(rgb == media.keptPictures[static_cast<std::size_t>(k)].rgb);
        EXPECT_EQ(std::count(alpha.begin(), alpha.end(), 255), 640 * 480);  // opaque
    }
}

TEST_F(VideoTest, BadRequestsFailWithOneMessageAndLeaveNoFile) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--video", "x.mp4", "--size", "641x480"}, "--size"},
        {{"--video", "x.mp4", "--fps", "0"}, "--fps"},
        {{"--video", "x.mp4", "--crf", "60"}, "--crf"},
        {{"--video", "x.mp4", "--crf", "20", "--lossless"}, "excludes"},
        {{"--video", "x.mp4", "--from", "3", "--to", "2"}, "--to"},
        {{"--crf", "20"}, "--video"},
        {{"--video", "x.unknownformat"}, ".mp4"},
        {{"--video", "no/such/folder/x.mp4"}, "cannot write"},
        {{"--video", "x.mp4", "--fps", "10", "--from", "30"}, "no frame"},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(arguments[0] + " " + arguments[1]);
        const support::RunResult run = capture(arguments);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_FALSE(run.timedOut);
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out.file("x.mp4")));
        EXPECT_FALSE(fs::exists(out.file("x.mp4.part")));
    }
}

// A link planted at the temporary name of the video or of a PNG frame (in
// a shared folder anyone could plant one) is left alone, and so is what it
// points to; the files are written beside it and given their names.
TEST_F(VideoTest, LinksPlantedAtTheTemporaryNamesAreLeftAlone) {
    const std::string victim = out.file("victim.txt");
    std::ofstream(victim) << "keep me";
    fs::create_directory(out.file("frames"));
    fs::create_symlink(victim, out.file("x.mp4.part"));
    fs::create_symlink(victim, out.file("frames/000001.png.part"));
    const support::RunResult run =
        capture({"--video", "x.mp4", "--png", "frames", "--fps", "10", "--to", "0.3", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.find(".part"), std::string::npos) << run.err;
    EXPECT_EQ(support::readFile(victim), "keep me");
    EXPECT_TRUE(fs::is_symlink(out.file("x.mp4.part")));
    EXPECT_TRUE(fs::is_symlink(out.file("frames/000001.png.part")));
    EXPECT_TRUE(probe::read(out.file("x.mp4")).ok);
    EXPECT_EQ(support::readFile(out.file("frames/000001.png")).substr(1, 3), "PNG");
    // Nothing else is left: three frames and the two planted links.
    EXPECT_EQ(std::distance(fs::directory_iterator(out.file("frames")), fs::directory_iterator()), 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 4);
}

TEST_F(VideoTest, MissingDataIsNamedBeforeAnythingIsRendered) {
    support::TempDir empty;  // without music; then no folder at all; then music but no textures/
    const std::pair<std::string, const char*> cases[] = {
        {empty.path(), "no music"}, {empty.file("nowhere"), "no data folder"}, {empty.path(), "no textures/"}};
    for (const auto& [folder, said] : cases) {
        const auto run = support::runProcess({support::capturePath(), "--data", folder, "--video", "x.mp4"}, out.path());
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        ASSERT_TRUE(support::copyFile(data.file("90secver.ogg"), empty.file("90secver.ogg")));
    }
    EXPECT_TRUE(fs::is_empty(out.path()));
}

// Ctrl-C once frames are being made.
TEST_F(VideoTest, InterruptKeepsAPlayableVideoOfWhatWasRendered) {
    ASSERT_TRUE(support::writeToneOgg(data.file("90secver.ogg"), 60.0));
    const support::RunResult run = support::runProcess(
        {support::capturePath(), "--data", data.path(), "--video", "cut.mp4", "--fps", "30", "--quiet", "--hashes"}, out.path(),
        {}, 120, [sent = false](const std::string& out) mutable { return !sent && (sent = support::parseFrames(out).size() >= 20); },
        SIGINT);
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_FALSE(fs::exists(out.file("cut.mp4.part")));
    const probe::Media media = probe::read(out.file("cut.mp4"));
    ASSERT_TRUE(media.ok);
    EXPECT_GT(media.frameTimes.size(), 0u);
    EXPECT_LT(media.frameTimes.size(), 1800u);
    EXPECT_TRUE(media.hasAudio());
}

}  // namespace
