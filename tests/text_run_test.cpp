// The text pages in the whole program, run headless: shown in their windows
// over the scene with their rim, and a missing or broken system font.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

// White pixels with black up and up-left of them: the text's rim. The
// scene itself has no pure black.
long rimmedWhite(const support::Png& png) {
    long n = 0;
    for (int y = 1; y < png.height; ++y)
        for (int x = 1; x < png.width; ++x) {
            const std::uint8_t* p = png.at(x, y);
            const std::uint8_t* up = png.at(x, y - 1);
            const std::uint8_t* upLeft = png.at(x - 1, y - 1);
            const bool white = p[0] == 255 && p[1] == 255 && p[2] == 255;
            const bool rim = (up[0] | up[1] | up[2]) == 0 || (upLeft[0] | upLeft[1] | upLeft[2]) == 0;
            n += white && rim ? 1 : 0;
        }
    return n;
}

support::RunResult capture(const support::TempDir& data, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment = {}) {
    std::vector<std::string> argv = {support::capturePath(), "--data", data.path(), "--quiet", "--fps", "10"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return support::runProcess(argv, "", environment, 240);
}

TEST(TextRun, PagesShowInTheirWindowsWhiteWithTheirRim) {
    support::TempDir data;
    ASSERT_TRUE(support::writeToneOgg(data.file("90secver.ogg"), 27.0));
    const support::RunResult run =
        capture(data, {"--to", "26.2", "--frames-at", "0.5", "10", "25.2", "26", "--png", data.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(support::errorLinesAbout(run.err, "font").empty()) << run.err;

    const char* names[] = {"0001.png", "0002.png", "0003.png", "0004.png"};
    const bool shown[] = {false, true, false, true};  // before page 1, page 1, the gap, page 2
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(names[i]);
        const support::Png png = support::readPng(data.file(names[i]));
        ASSERT_TRUE(png.ok);
        if (shown[i]) {
            EXPECT_GT(rimmedWhite(png), 1000);
        } else {
            EXPECT_EQ(rimmedWhite(png), 0);
        }
    }
}

// A fontconfig setup of our own: no fonts at all, or one font file that
// turns out to be unreadable once it has been indexed.
TEST(TextRun, WithoutAUsableFontTheTextIsLeftOutWithOneMessage) {
    support::TempDir data;
    ASSERT_TRUE(support::writeToneOgg(data.file("90secver.ogg"), 3.0));
    const std::string fonts = data.file("fonts");
    const std::string config = data.file("fonts.conf");
    ASSERT_TRUE(support::runProcess({"mkdir", "-p", fonts, data.file("cache")}).exitCode == 0);

    auto writeConfig = [&](bool withFonts) {
        std::ofstream out(config);
        out << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n";
        if (withFonts) out << "<dir>" << fonts << "</dir>\n<cachedir>" << data.file("cache") << "</cachedir>\n";
        out << "</fontconfig>\n";
    };
    auto runWithFonts = [&](const std::string& png) {
        return capture(data, {"--to", "2", "--frames-at", "1.5", "--png", data.file(png)},
                       {"FONTCONFIG_FILE=" + config});
    };

    writeConfig(false);
    support::RunResult run = runWithFonts("none");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(support::errorLinesAbout(run.err, "font").size(), 1u) << run.err;
    support::Png png = support::readPng(data.file("none/0001.png"));
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(rimmedWhite(png), 0);

    // Index a real font, then empty its file behind fontconfig's back.
    writeConfig(true);
    const std::string face = fonts + "/Face.ttf";
    ASSERT_TRUE(support::copyFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", face));
    run = runWithFonts("good");
    EXPECT_TRUE(support::errorLinesAbout(run.err, "font").empty()) << run.err;
    png = support::readPng(data.file("good/0001.png"));
    ASSERT_TRUE(png.ok);
    EXPECT_GT(rimmedWhite(png), 1000);

    std::ofstream(face, std::ios::trunc).close();
    run = runWithFonts("broken");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = support::errorLinesAbout(run.err, "font");
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_NE(lines[0].find("Face.ttf"), std::string::npos) << lines[0];
    png = support::readPng(data.file("broken/0001.png"));
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(rimmedWhite(png), 0);
}

}  // namespace
