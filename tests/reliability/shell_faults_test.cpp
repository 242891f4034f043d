// The music, the audio output or the display failing, and an end before the
// first frame: one line, and the folder left as it was.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/reliability/Faults.h"
#include "tools/common/JpegWriter.h"

namespace {

using faults::Outcome;

class ShellFaultsTest : public faults::DataFolderTest<5> {
protected:
    std::string music() const { return data.file("90secver.ogg"); }

    // Without music: the first frame (log.txt created, empty), then status 0.
    void expectOneFrameAndALine(const Outcome& run, const std::string& said) {
        EXPECT_FALSE(run.result.timedOut);
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        EXPECT_EQ(run.frames.size(), 1u);
        ASSERT_EQ(run.errLines.size(), 1u) << run.result.err;
        EXPECT_NE(run.errLines[0].find(said), std::string::npos) << run.errLines[0];
        EXPECT_EQ(run.errLines[0].rfind("salute: ", 0), 0u);
        EXPECT_TRUE(std::filesystem::is_regular_file(data.file("log.txt")));
        EXPECT_EQ(support::readFile(data.file("log.txt")), "");
    }
};

// Whatever is not music is named in words; a pipe or a device (which used to
// block the start) at once.
TEST_F(ShellFaultsTest, MusicMissingEmptyNotOggOrNotAFile) {
    struct Case {
        const char* what;
        void (*make)(const std::string& path);
        const char* said;
    };
    const Case cases[] = {
        {"missing", [](const std::string&) {}, "No such file or directory"},
        {"empty", [](const std::string& p) { ASSERT_TRUE(tools::writeFile(p, {})); }, "not an Ogg Vorbis file"},
        {"a picture", [](const std::string& p) { ASSERT_TRUE(support::writeFlatJpeg(p, 16, 16, 9, 9, 9)); },
         "not an Ogg Vorbis file"},
        {"a folder", [](const std::string& p) { std::filesystem::create_directory(p); }, "it is a folder, not a file"},
        {"a named pipe", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
         "it is a named pipe, not a file"},
        {"a link to /dev/zero", [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); },
         "it is a device, not a file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(music());
        c.make(music());
        expectOneFrameAndALine(faults::capture(data.path(), {}, {}, 60),
                               std::string("cannot play \"90secver.ogg\": ") + c.said);
    }
}

// Cut short by a fifth: plays what there is, ends with it, status 0.
TEST_F(ShellFaultsTest, MusicCutShortEndsEarlyButNormally) {
    const std::string whole = support::readFile(music());
    ASSERT_TRUE(tools::writeFile(music(), std::vector<std::uint8_t>(whole.begin(), whole.begin() + whole.size() * 4 / 5)));
    const Outcome run = faults::capture(data.path(), {"--fps", "10"});
    EXPECT_FALSE(run.result.timedOut);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    ASSERT_FALSE(run.frames.empty());
    EXPECT_GT(run.frames.back().demoTime, 0.5);
    EXPECT_LT(run.frames.back().demoTime, 5.0);
}

TEST_F(ShellFaultsTest, NoAudioDevice) {
    expectOneFrameAndALine(faults::capture(data.path(), {}, {"SALUTE_NO_AUDIO=1"}),
                           "Set SDL_AUDIODRIVER=dummy to run it silently");
}

TEST_F(ShellFaultsTest, NoDisplay) {
    const Outcome run = faults::capture(data.path(), {}, {"SALUTE_NO_DISPLAY=1"});
    EXPECT_FALSE(run.result.timedOut);
    EXPECT_NE(run.result.exitCode, 0);
    EXPECT_TRUE(run.frames.empty());
    ASSERT_EQ(run.errLines.size(), 1u) << run.result.err;
    EXPECT_NE(run.errLines[0].find("salute: no display"), std::string::npos) << run.errLines[0];
    EXPECT_FALSE(std::filesystem::exists(data.file("log.txt")));
}

// Ended in the pause before the first frame: no frame, status 0, an earlier
// log.txt untouched.
TEST_F(ShellFaultsTest, EndedBeforeTheFirstFrame) {
    const std::string earlier = "0 : 12.5\r\n1 : 40\r\n";
    for (const std::string key : {"escape", "close", "alt+f4"}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(tools::writeFile(data.file("log.txt"), std::vector<std::uint8_t>(earlier.begin(), earlier.end())));
        const Outcome run = faults::capture(data.path(), {"--keys", "start:space,start:" + key});
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        EXPECT_TRUE(run.frames.empty());
        EXPECT_EQ(support::readFile(data.file("log.txt")), earlier);
    }
}

// Fontconfig with no fonts, or a font emptied once indexed: one line, the
// text left out, the scene going on.
TEST_F(ShellFaultsTest, WithoutAUsableFontTheTextIsLeftOutWithOneMessage) {
    const std::string fonts = data.file("fonts"), config = data.file("fonts.conf"), face = fonts + "/Face.ttf";
    std::filesystem::create_directories(fonts);
    const auto run = [&](bool withFonts) {
        std::ofstream(config) << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>"
                              << (withFonts ? "<dir>" + fonts + "</dir><cachedir>" + data.file("cache") + "</cachedir>" : "")
                              << "</fontconfig>\n";
        return faults::capture(data.path(), {"--to", "2", "--fps", "4"}, {"FONTCONFIG_FILE=" + config});
    };
    const Outcome none = run(false);
    EXPECT_EQ(none.result.exitCode, 0) << none.result.err;
    EXPECT_EQ(support::errorLinesAbout(none.result.err, "font").size(), 1u) << none.result.err;
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", face);
    const Outcome good = run(true);
    EXPECT_TRUE(good.errLines.empty()) << good.result.err;
    std::ofstream(face, std::ios::trunc).close();
    const Outcome broken = run(true);
    EXPECT_EQ(broken.result.exitCode, 0) << broken.result.err;
    ASSERT_EQ(support::errorLinesAbout(broken.result.err, "font").size(), 1u) << broken.result.err;
    EXPECT_NE(broken.result.err.find("Face.ttf"), std::string::npos) << broken.result.err;
    // Page 1 is up from 1 s: shown with the good font only.
    EXPECT_EQ(broken.frames, none.frames);
    ASSERT_EQ(good.frames.size(), none.frames.size());
    EXPECT_NE(good.frames.back().hash, none.frames.back().hash);
}

}  // namespace
