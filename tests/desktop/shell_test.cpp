// The program's own lines on a real display: without a display, without
// audio output or a sound card, with a music file that is not music, each
// says so in one line; and the timing log under X's own key repeat.
#include <gtest/gtest.h>
// After gtest, whose names Xlib's macros (None, Bool) would take.
#include <X11/Xlib.h>
#include <sys/stat.h>

#include <fstream>
#include <regex>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

struct Fault {
    const char* name;
    bool display;  // an Xvfb of its own
    Env env;
    char music;        // '-' as made, 't' a text file, 'p' a named pipe
    int status;
    const char* line;  // the whole of stderr, one line (a regular expression)
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class ShellTest : public testing::TestWithParam<Fault> {};

// Without audio the presentation ends after its first frame, status 0;
// without a display nothing is shown, status 1.
TEST_P(ShellTest, SaysSoInOneLine) {
    const Fault fault = GetParam();
    std::string why;
    auto x = fault.display ? startServer(Kind::xvfb, why) : nullptr;
    if (fault.display && !x) GTEST_SKIP() << why;
    ProgramFolder folder(3);
    if (fault.music == 't') std::ofstream(folder.file("90secver.ogg"), std::ios::trunc) << "not music\n";
    if (fault.music == 'p') {
        std::remove(folder.file("90secver.ogg").c_str());
        ASSERT_EQ(mkfifo(folder.file("90secver.ogg").c_str(), 0600), 0);
    }
    auto program = startProgram(folder, join(x ? x->clientEnv : Env{}, fault.env));
    EXPECT_EQ(program->waitExit(30), fault.status);
    EXPECT_TRUE(std::regex_match(program->err(), std::regex(std::string(fault.line) + "[^\n]*\n"))) << program->err();
}

const Env noSoundCard{"SDL_AUDIODRIVER", "AUDIODEV", "XDG_RUNTIME_DIR", "ALSA_CARD=salute-no-such-card",
                      "PULSE_SERVER=unix:/nonexistent/salute-no-server", "PIPEWIRE_REMOTE=salute-none"};

INSTANTIATE_TEST_SUITE_P(
    Faults, ShellTest,
    testing::Values(
        Fault{"no_display", false, {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "SDL_VIDEODRIVER"}, '-', 1,
              "salute: no display: .*; set DISPLAY or run salute-capture"},
        Fault{"no_audio", true, {"SDL_AUDIODRIVER=no-such-driver"}, '-', 0, "salute: no audio output \\("},
        // libasound's own error lines are silenced.
        Fault{"no_sound_card", true, noSoundCard, '-', 0,
              "salute: no audio output \\([^\n]*\\); the presentation ends after its first frame\\. "},
        Fault{"bad_music", true, {}, 't', 0, "salute: cannot play \"90secver.ogg\": "},
        Fault{"music_is_a_pipe", true, {}, 'p', 0,
              "salute: cannot play \"90secver.ogg\": it is a named pipe, not a file; "}),
    [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

// Space held for four seconds: X's auto-repeat (25 a second after 660 ms)
// writes one entry per repeat, in order, none lost; other keys, held or
// not, write nothing and do not end it.
TEST_F(ShellTest, SpaceHeldWritesEveryRepeat) {
    std::string why;
    auto server = startServer(Kind::xvfb, why);
    if (!server) GTEST_SKIP() << why;
    Display* x = XOpenDisplay(server->display.c_str());
    ASSERT_TRUE(x);
    ProgramFolder folder(30);
    auto program = startProgram(folder, server->clientEnv);
    ASSERT_NE(waitForWindow(x, "Salute", 20, true, program.get()), 0u) << program->err();
    pause(2.5);
    keyDown(x, "a");
    pause(0.8);
    keyDown(x, "a", false);
    for (const char* other : {"Return", "F1", "Left", "5"}) key(x, other);
    keyDown(x, "space");
    pause(4);
    keyDown(x, "space", false);
    pause(0.5);
    ASSERT_TRUE(program->running()) << "ended on a key other than Escape";
    key(x, "Escape");
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
    EXPECT_TRUE(logHolds(folder, 50, true));
    XCloseDisplay(x);
}

}  // namespace
