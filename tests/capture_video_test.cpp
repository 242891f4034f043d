// salute-capture as a renderer: the video's frames, streams and timing,
// the music's place in it, scaling, the PNG sequence, determinism, and
// how it fails and stops.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "tests/capture_MediaProbe.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// Seconds one frame lasts at the given rate.
double step(double numerator, double denominator = 1.0) { return denominator / numerator; }

class CaptureVideoTest : public ::testing::Test {
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

TEST_F(CaptureVideoTest, ShortCaptureHasEveryFrameBothStreamsAndTheMusicWhereThePlayCallWas) {
    const support::RunResult run = capture({"--video", "short.mp4", "--fps", "30", "--to", "2", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(fs::exists(out.file("short.mp4.part")));

    const probe::Media media = probe::read(out.file("short.mp4"));
    ASSERT_TRUE(media.ok) << media.error;
    ASSERT_TRUE(media.hasVideo);
    EXPECT_EQ(media.videoCodec, "h264");
    EXPECT_EQ(media.pixelFormat, "yuv420p");
    EXPECT_EQ(media.width, 640);
    EXPECT_EQ(media.height, 480);
    EXPECT_EQ(media.rateNumerator, 30);
    EXPECT_EQ(media.rateDenominator, 1);
    // demoTime 0, 1/30, ... up to the last frame before 2 s.
    ASSERT_EQ(media.frameTimes.size(), 60u);
    for (std::size_t k = 0; k < media.frameTimes.size(); ++k)
        EXPECT_NEAR(media.frameTimes[k], static_cast<double>(k) * step(30), 1e-6) << "frame " << k;

    ASSERT_TRUE(media.hasAudio);
    EXPECT_EQ(media.audioCodec, "aac");
    EXPECT_EQ(media.sampleRate, 44100);
    EXPECT_EQ(media.channels, 2);
    // The program starts the music right after presenting its first frame,
    // one frame step later on the virtual clock: the tone begins there.
    EXPECT_NEAR(probe::firstSoundAt(media, 0.1f), step(30), 0.002);
    // It ends with the video.
    EXPECT_NEAR(static_cast<double>(media.audio.size()) / media.sampleRate, 2.0, 0.03);
}

TEST_F(CaptureVideoTest, LaterSpanStartsAtItsFirstFrameWithTheMusicAlreadyPlaying) {
    const support::RunResult run = capture({"--video", "late.mkv", "--fps", "30", "--from", "1", "--to", "1.5", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const probe::Media media = probe::read(out.file("late.mkv"));
    ASSERT_TRUE(media.ok) << media.error;
    // demoTime runs a hair fast (the clock drops the counter's low bits),
    // so the frame at 30/30 s already reads past 1 s: frames 30 .. 44.
    ASSERT_EQ(media.frameTimes.size(), 15u);
    ASSERT_TRUE(media.hasAudio);
    // Matroska shifts both streams by the AAC encoder's priming: measure
    // from the first picture. Cut, not delayed: sound from the first
    // picture on, for the span's length.
    const double start = media.frameTimes.front();
    EXPECT_NEAR(probe::firstSoundAt(media, 0.1f) - start, 0.0, 0.002);
    EXPECT_NEAR(static_cast<double>(media.audio.size()) / media.sampleRate - start, 0.5, 0.03);
}

TEST_F(CaptureVideoTest, TheSameSpanTwiceDecodesToIdenticalFrames) {
    ASSERT_EQ(capture({"--video", "a.mp4", "--fps", "30", "--from", "0.5", "--to", "1.5", "--quiet"}).exitCode, 0);
    ASSERT_EQ(capture({"--video", "b.mp4", "--fps", "30", "--from", "0.5", "--to", "1.5", "--quiet"}).exitCode, 0);
    const probe::Media a = probe::read(out.file("a.mp4"));
    const probe::Media b = probe::read(out.file("b.mp4"));
    ASSERT_TRUE(a.ok && b.ok);
    ASSERT_EQ(a.frameHashes.size(), 30u);
    EXPECT_EQ(a.frameHashes, b.frameHashes);
    EXPECT_EQ(a.frameTimes, b.frameTimes);
    EXPECT_EQ(support::readFile(out.file("a.mp4")), support::readFile(out.file("b.mp4")));
}

TEST_F(CaptureVideoTest, FractionalRateGivesItsOwnFrameTimes) {
    const support::RunResult run = capture({"--video", "ntsc.mp4", "--fps", "24000/1001", "--to", "2", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const probe::Media media = probe::read(out.file("ntsc.mp4"));
    ASSERT_TRUE(media.ok) << media.error;
    EXPECT_EQ(media.rateNumerator, 24000);
    EXPECT_EQ(media.rateDenominator, 1001);
    // 47 x 1001/24000 = 1.960 s is the last frame before 2 s; 48 frames.
    ASSERT_EQ(media.frameTimes.size(), 48u);
    for (std::size_t k = 0; k < media.frameTimes.size(); ++k)
        EXPECT_NEAR(media.frameTimes[k], static_cast<double>(k) * step(24000, 1001), 1e-4) << "frame " << k;
    EXPECT_NEAR(probe::firstSoundAt(media, 0.1f), step(24000, 1001), 0.002);
}

// From the second frame on, the background is grey 0.2 (51) and the
// untextured particles white fading into it: nothing in the picture is
// black, while the bars are.
void expectLetterbox(const probe::Picture& picture, int x, int y, int width, int height) {
    const auto grey = [&](int px, int py) {
        const std::uint8_t* p = picture.at(px, py);
        return p[0] >= 40 && p[1] >= 40 && p[2] >= 40;
    };
    // The encoding is lossy: allow its ringing a few pixels from an edge.
    const auto black = [&](int px, int py) {
        const std::uint8_t* p = picture.at(px, py);
        return p[0] <= 12 && p[1] <= 12 && p[2] <= 12;
    };
    // Two pixels in from every edge of the picture, and four outside it.
    for (int py = y + 2; py < y + height - 2; py += 7) {
        EXPECT_TRUE(grey(x + 2, py)) << "picture's left edge at y " << py;
        EXPECT_TRUE(grey(x + width - 3, py)) << "picture's right edge at y " << py;
        if (x > 0) {
            EXPECT_TRUE(black(x - 4, py)) << "left bar at y " << py;
        }
        if (x + width < picture.width) {
            EXPECT_TRUE(black(x + width + 3, py)) << "right bar at y " << py;
        }
    }
    for (int px = x + 2; px < x + width - 2; px += 7) {
        EXPECT_TRUE(grey(px, y + 2)) << "picture's top at x " << px;
        EXPECT_TRUE(grey(px, y + height - 3)) << "picture's bottom at x " << px;
        if (y > 0) {
            EXPECT_TRUE(black(px, y - 4)) << "top bar at x " << px;
        }
        if (y + height < picture.height) {
            EXPECT_TRUE(black(px, y + height + 3)) << "bottom bar at x " << px;
        }
    }
}

TEST_F(CaptureVideoTest, SizeKeepsTheAspectWithCentredPictureBetweenBlackBars) {
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
        ASSERT_TRUE(media.ok) << media.error;
        EXPECT_EQ(media.width, c.width);
        EXPECT_EQ(media.height, c.height);
        ASSERT_EQ(media.keptPictures.size(), 1u);
        expectLetterbox(media.keptPictures[0], c.x, c.y, c.pictureW, c.pictureH);
    }
}

TEST_F(CaptureVideoTest, PngSequenceAndLosslessVideoHoldTheSameExactPixels) {
    const support::RunResult run =
        capture({"--video", "exact.mkv", "--lossless", "--png", "frames", "--fps", "10", "--to", "0.5", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const probe::Media media = probe::read(out.file("exact.mkv"), {0, 1, 2, 3, 4});
    ASSERT_TRUE(media.ok) << media.error;
    ASSERT_EQ(media.keptPictures.size(), 5u);
    EXPECT_FALSE(fs::exists(out.file("frames/000006.png")));
    for (int k = 0; k < 5; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "frames/%06d.png", k + 1);
        SCOPED_TRACE(name);
        const support::Png png = support::readPng(out.file(name));
        ASSERT_TRUE(png.ok);
        ASSERT_EQ(png.width, 640);
        ASSERT_EQ(png.height, 480);
        const probe::Picture& picture = media.keptPictures[static_cast<std::size_t>(k)];
        int differences = 0;
        bool opaque = true;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const std::uint8_t* p = png.at(x, y);
                const std::uint8_t* v = picture.at(x, y);
                differences += p[0] != v[0] || p[1] != v[1] || p[2] != v[2];
                opaque &= p[3] == 255;
            }
        EXPECT_EQ(differences, 0);
        EXPECT_TRUE(opaque);
    }
}

TEST_F(CaptureVideoTest, ReportsProgressByTenthsWhenNotOnATerminal) {
    const support::RunResult run = capture({"--video", "p.mp4", "--fps", "20", "--to", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    int tenths = 0;
    for (int percent = 10; percent <= 90; percent += 10)
        tenths += run.err.find("salute-capture: " + std::to_string(percent) + "% (") != std::string::npos;
    EXPECT_EQ(tenths, 9) << run.err;
    EXPECT_EQ(run.err.find('\r'), std::string::npos);
    EXPECT_NE(run.err.find("20 frames"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" fps"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" kB"), std::string::npos) << run.err;
}

TEST_F(CaptureVideoTest, BadRequestsFailWithOneMessageAndLeaveNoFile) {
    struct Case {
        std::vector<std::string> arguments;
        const char* message;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1]);
        const support::RunResult run = capture(c.arguments);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_FALSE(run.timedOut);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out.file("x.mp4")));
        EXPECT_FALSE(fs::exists(out.file("x.mp4.part")));
    }
}

// A link planted at the temporary name of the video or of a PNG frame (in
// a shared folder anyone could plant one) is left alone, and so is what it
// points to; the files are written beside it and given their names.
TEST_F(CaptureVideoTest, LinksPlantedAtTheTemporaryNamesAreLeftAlone) {
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

TEST_F(CaptureVideoTest, MissingDataIsNamedBeforeAnythingIsRendered) {
    support::TempDir empty;
    support::RunResult run =
        support::runProcess({support::capturePath(), "--data", empty.path(), "--video", "x.mp4"}, out.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no music"), std::string::npos) << run.err;
    run = support::runProcess({support::capturePath(), "--data", empty.file("nowhere"), "--video", "x.mp4"}, out.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no data folder"), std::string::npos) << run.err;
    ASSERT_TRUE(support::copyFile(data.file("90secver.ogg"), empty.file("90secver.ogg")));
    run = support::runProcess({support::capturePath(), "--data", empty.path(), "--video", "x.mp4"}, out.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no textures/"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(out.path()));
}

TEST_F(CaptureVideoTest, InterruptKeepsAPlayableVideoOfWhatWasRendered) {
    ASSERT_TRUE(support::writeToneOgg(data.file("90secver.ogg"), 60.0));
    const std::string video = out.file("cut.mp4");
    const pid_t child = fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 2);
        execl(support::capturePath().c_str(), "salute-capture", "--data", data.path().c_str(), "--video",
              video.c_str(), "--fps", "30", "--quiet", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);
    // Wait until frames are being written, then press Ctrl-C.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline &&
           !(fs::exists(video + ".part") && fs::file_size(video + ".part") > 0))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_FALSE(fs::exists(video + ".part"));
    const probe::Media media = probe::read(video);
    ASSERT_TRUE(media.ok) << media.error;
    EXPECT_GT(media.frameTimes.size(), 0u);
    EXPECT_LT(media.frameTimes.size(), 1800u);
    EXPECT_TRUE(media.hasAudio);
}

}  // namespace
