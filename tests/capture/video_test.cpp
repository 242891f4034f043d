// salute-capture as a renderer: streams, frames, music, sizes, PNGs, failures.
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/capture/MediaProbe.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

class VideoTest : public ::testing::Test {
protected:
    // A tone and no pictures: every frame is the plain background.
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

// Every frame at the rate's times; music from one frame step on.
TEST_F(VideoTest, ShortCaptureHasEveryFrameBothStreamsAndTheMusicWhereThePlayCallWas) {
    struct Case {
        const char* fps;
        int numerator, denominator;
        std::size_t frames;
    };
    for (const Case& c : {Case{"30", 30, 1, 60}, Case{"24000/1001", 24000, 1001, 48}}) {
        SCOPED_TRACE(c.fps);
        const double step = double(c.denominator) / c.numerator;
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
            EXPECT_NEAR(media.frameTimes[k], static_cast<double>(k) * step, 1e-4) << k;
        EXPECT_NEAR(media.firstSoundAt(0.1f), step, 0.002);
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
    // demoTime runs a hair fast: frames 30 .. 44.
    ASSERT_EQ(media.frameTimes.size(), 15u);
    ASSERT_TRUE(media.hasAudio());
    // Matroska shifts both streams by the AAC priming; cut, not delayed.
    const double start = media.frameTimes.front();
    EXPECT_NEAR(media.firstSoundAt(0.1f) - start, 0.0, 0.002);
    EXPECT_NEAR(static_cast<double>(media.audio.size()) / media.sampleRate - start, 0.5, 0.03);
}

// The 4:3 picture centred, the largest that fits, between black bars; nothing
// in the picture is black.
TEST_F(VideoTest, SizeKeepsTheAspectWithCentredPictureBetweenBlackBars) {
    // The output's size, and where the 240 x 180 picture lies in it.
    const std::tuple<const char*, int, int, int, int> cases[] = {{"320x180", 320, 180, 40, 0}, {"240x320", 240, 320, 0, 70}};
    for (const auto& [size, width, height, left, top] : cases) {
        SCOPED_TRACE(size);
        const support::RunResult run =
            capture({"--video", "sized.mkv", "--lossless", "--size", size, "--fps", "10", "--to", "0.3", "--quiet"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const probe::Media media = probe::read(out.file("sized.mkv"), {2});
        ASSERT_TRUE(media.ok && media.keptPictures.size() == 1u);
        ASSERT_EQ(std::make_pair(media.width, media.height), std::make_pair(width, height));
        long wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = media.keptPictures[0].at(x, y);
                wrong += (x >= left && x < left + 240 && y >= top && y < top + 180) == (std::max({p[0], p[1], p[2]}) == 0);
            }
        EXPECT_EQ(wrong, 0);
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

// A link planted at the temporary name of the video or a PNG frame is left
// alone, and what it points to; frames and lossless video hold one picture.
TEST_F(VideoTest, LinksPlantedAtTheTemporaryNamesAreLeftAlone) {
    const std::string victim = out.file("victim.txt");
    std::ofstream(victim) << "keep me";
    fs::create_directory(out.file("frames"));
    fs::create_symlink(victim, out.file("x.mp4.part"));
    fs::create_symlink(victim, out.file("frames/000001.png.part"));
    const support::RunResult run =
        capture({"--video", "x.mp4", "--lossless", "--png", "frames", "--fps", "10", "--to", "0.3", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.find(".part"), std::string::npos) << run.err;
    EXPECT_EQ(support::readFile(victim), "keep me");
    EXPECT_TRUE(fs::is_symlink(out.file("x.mp4.part")) && fs::is_symlink(out.file("frames/000001.png.part")));
    // The index moved to the front (read back through the file's own descriptor): moov before mdat.
    const std::string video = support::readFile(out.file("x.mp4"));
    EXPECT_LT(video.find("moov"), video.find("mdat"));
    const probe::Media media = probe::read(out.file("x.mp4"), {0, 1, 2});
    ASSERT_TRUE(media.ok && media.keptPictures.size() == 3u);
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_EQ(support::readPng(out.file("frames/00000" + std::to_string(k + 1) + ".png")).pixels,
                  media.keptPictures[k].pixels) << k;
    // Nothing else is left: three frames and the two planted links.
    EXPECT_EQ(std::distance(fs::directory_iterator(out.file("frames")), fs::directory_iterator()), 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 4);
}

TEST_F(VideoTest, MissingDataIsNamedBeforeAnythingIsRendered) {
    support::TempDir empty;  // without music; no folder at all; a pipe; music but no textures/; textures/ a file
    ASSERT_EQ(mkfifo(empty.file("pipe").c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {empty.path(), "no music"},
        {empty.file("nowhere"), "no data folder"},
        {empty.file("pipe"), "cannot use the data folder \"" + empty.file("pipe") + "\": it is a named pipe, not a folder"},
        {empty.path(), "cannot use textures/ in the data folder \"" + empty.path() + "\": there is no such folder"},
        {empty.path(), "cannot use textures/ in the data folder \"" + empty.path() + "\": it is a file, not a folder"}};
    for (const auto& [folder, said] : cases) {
        const auto run = support::runProcess({support::capturePath(), "--data", folder, "--video", "x.mp4"}, out.path());
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        fs::copy_file(data.file("90secver.ogg"), empty.file("90secver.ogg"), fs::copy_options::overwrite_existing);
        if (said.find("no such folder") != std::string::npos) std::ofstream(empty.file("textures")).put('\n');
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
    EXPECT_TRUE(media.ok && media.hasAudio());
    EXPECT_GT(media.frameTimes.size(), 0u);
    EXPECT_LT(media.frameTimes.size(), 1800u);
}

}  // namespace
