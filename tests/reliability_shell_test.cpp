// The music, the audio output and the display failing, and the presentation
// ended before it has begun. Each says what is wrong in one line where a
// person would want to know, does what the presentation does in that case,
// and leaves the folder as it was (a log.txt from an earlier run survives
// an end before the first frame).
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/reliability_support.h"
#include "tools/common/JpegWriter.h"

namespace {

using reliability::CaptureRun;

class ShellFaults : public reliability::DataFolderTest<5> {
protected:
    std::string music() const { return data.file("90secver.ogg"); }

    // Without music the first frame is drawn (the whole load runs: log.txt
    // is created, empty) and the presentation ends with status 0.
    void expectOneFrameAndALine(const CaptureRun& run, const std::string& said) {
        EXPECT_FALSE(run.result.timedOut);
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        EXPECT_EQ(run.frames.size(), 1u);
        ASSERT_EQ(run.errLines.size(), 1u) << run.result.err;
        EXPECT_NE(run.errLines[0].find(said), std::string::npos) << run.errLines[0];
        EXPECT_EQ(run.errLines[0].rfind("salute: ", 0), 0u);
        const reliability::LogFile log = reliability::readLog(data.file("log.txt"));
        EXPECT_TRUE(log.exists);
        EXPECT_TRUE(log.raw.empty());
    }
};

TEST_F(ShellFaults, MusicMissingEmptyOrNotOgg) {
    {
        SCOPED_TRACE("missing");
        std::filesystem::remove(music());
        expectOneFrameAndALine(reliability::capture(data.path(), {}), "cannot play \"90secver.ogg\"");
    }
    {
        SCOPED_TRACE("empty");
        ASSERT_TRUE(tools::writeFile(music(), {}));
        expectOneFrameAndALine(reliability::capture(data.path(), {}), "cannot play \"90secver.ogg\"");
    }
    {
        SCOPED_TRACE("a picture named like the music");
        ASSERT_TRUE(support::writeFlatJpeg(music(), 16, 16, 9, 9, 9));
        expectOneFrameAndALine(reliability::capture(data.path(), {}), "not an Ogg Vorbis file");
    }
}

// The music cut short (a fifth of its bytes gone): it plays as far as it goes and the presentation
// ends with it, with status 0.
TEST_F(ShellFaults, MusicCutShortEndsEarlyButNormally) {
    const std::string whole = support::readFile(music());
    ASSERT_TRUE(tools::writeFile(music(), std::vector<std::uint8_t>(whole.begin(), whole.begin() + whole.size() * 4 / 5)));
    const CaptureRun run = reliability::capture(data.path(), {"--fps", "10"});
    EXPECT_FALSE(run.result.timedOut);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    ASSERT_FALSE(run.frames.empty());
    EXPECT_GT(run.frames.back().demoTime, 0.5);
    EXPECT_LT(run.frames.back().demoTime, 5.0);
}

TEST_F(ShellFaults, NoAudioDevice) {
    expectOneFrameAndALine(reliability::capture(data.path(), {}, {"SALUTE_NO_AUDIO=1"}),
                           "Set SDL_AUDIODRIVER=dummy to run it silently");
}

TEST_F(ShellFaults, NoDisplay) {
    const CaptureRun run = reliability::capture(data.path(), {}, {"SALUTE_NO_DISPLAY=1"});
    EXPECT_FALSE(run.result.timedOut);
    EXPECT_NE(run.result.exitCode, 0);
    EXPECT_TRUE(run.frames.empty());
    ASSERT_EQ(run.errLines.size(), 1u) << run.result.err;
    EXPECT_NE(run.errLines[0].find("salute: no display"), std::string::npos) << run.errLines[0];
    EXPECT_FALSE(std::filesystem::exists(data.file("log.txt")));
}

// Escape, or the window closed, during the second of pause before the
// first frame: no frame, status 0, and the log of an earlier run is left
// as it was (the log is opened only by the first frame's load).
TEST_F(ShellFaults, EndedBeforeTheFirstFrame) {
    const std::string earlier = "0 : 12.5\r\n1 : 40\r\n";
    for (const std::string key : {"escape", "close", "alt+f4"}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(tools::writeFile(data.file("log.txt"), std::vector<std::uint8_t>(earlier.begin(), earlier.end())));
        const CaptureRun run = reliability::capture(data.path(), {"--keys", "start:space,start:" + key});
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        EXPECT_TRUE(run.frames.empty());
        EXPECT_EQ(support::readFile(data.file("log.txt")), earlier);
    }
}

}  // namespace
