// One line for what is missing: a display, a Wayland seat, audio, a sound
// card (libasound silenced), music. No audio: one frame, 0; no display: 1.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <regex>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

struct Fault {
    const char* name;
    std::optional<Kind> server;
    Env env;
    char music;        // '-' as made, 't' a text file, 'p' a named pipe
    int status;
    const char* line;  // the whole of stderr, one line (a regular expression)
};


class ShellTest : public testing::TestWithParam<Fault> {};

TEST_P(ShellTest, SaysSoInOneLine) {
    const Fault fault = GetParam();
    std::string why;
    auto server = fault.server ? startServer(*fault.server, why) : nullptr;
    if (fault.server && !server) GTEST_SKIP() << why;
    ProgramFolder folder(3);
    if (fault.music == 't') std::ofstream(folder.file("90secver.ogg"), std::ios::trunc) << "not music\n";
    if (fault.music == 'p') {
        std::remove(folder.file("90secver.ogg").c_str());
        ASSERT_EQ(mkfifo(folder.file("90secver.ogg").c_str(), 0600), 0);
    }
    auto program = startProgram(folder, join(server ? server->clientEnv : Env{}, fault.env));
    EXPECT_EQ(program->waitExit(30), fault.status);
    EXPECT_TRUE(std::regex_match(program->err(), std::regex(std::string(fault.line) + "[^\n]*\n"))) << program->err();
}

const Env noSoundCard{"SDL_AUDIODRIVER", "AUDIODEV", "XDG_RUNTIME_DIR", "ALSA_CARD=salute-no-such-card",
                      "PULSE_SERVER=unix:/nonexistent/salute-no-server", "PIPEWIRE_REMOTE=salute-none"};

INSTANTIATE_TEST_SUITE_P(
    Faults, ShellTest,
    testing::Values(
        Fault{"no_display", {}, {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "SDL_VIDEODRIVER"}, '-', 1,
              "salute: no display: .*; set DISPLAY or run salute-capture"},
        Fault{"no_seat", Kind::westonHeadless, {}, '-', 1,
              "salute: no display: the Wayland compositor offers no input seat; set DISPLAY or run salute-capture"},
        Fault{"no_seat_wayland_asked", Kind::westonHeadless, {"SDL_VIDEODRIVER=wayland"}, '-', 1,
              "salute: no display: the Wayland compositor offers no input seat; set DISPLAY or run salute-capture"},
        Fault{"no_audio", Kind::xvfb, {"SDL_AUDIODRIVER=no-such-driver"}, '-', 0, "salute: no audio output \\("},
        Fault{"no_sound_card", Kind::xvfb, noSoundCard, '-', 0,
              "salute: no audio output \\([^\n]*\\); the presentation ends after its first frame\\. "},
        Fault{"bad_music", Kind::xvfb, {}, 't', 0, "salute: cannot play \"90secver.ogg\": "},
        Fault{"music_is_a_pipe", Kind::xvfb, {}, 'p', 0,
              "salute: cannot play \"90secver.ogg\": it is a named pipe, not a file; "}),
    [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

}  // namespace
