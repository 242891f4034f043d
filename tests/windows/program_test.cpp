// The Windows program (build-windows/salute.exe, scripts/build-windows.sh)
// under Wine, with the desktop tests' servers and harness: its frames on the
// virtual frame clock against the headless ones, shown scaled where the
// display has no 640 x 480 mode; under Xorg's dummy driver the real mode
// switch and the desktop's mode back after each way out, log.txt, and the
// music heard whole through a PulseAudio null sink; one line and one frame
// without a sound device. Wine's prefix is made once for the run, quietly;
// each program runs under a Wine server of the test's own.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "tests/desktop/Harness.h"
#include "tests/desktop/SoundCheck.h"

namespace {

using namespace desktop;

std::string exePath() { return support::sourceDir() + "/build-windows/salute.exe"; }

// Wine quiet: none of its own debug lines, no installer dialogs for its .NET
// and HTML engines, sound through PulseAudio only (ALSA's complaints about
// a missing card would otherwise reach the program's stderr).
support::TempDir* prefixDir = nullptr;
Env wineEnv() {
    return {"WINEPREFIX=" + prefixDir->file("prefix"), "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml=",
            "WINEARCH=win64", "HOME=" + prefixDir->path()};
}

// A Wine server for one program: started by the test, ended by its pid.
struct WineServer {
    explicit WineServer(const Env& env)
        : process({"wineserver", "--foreground", "--persistent"}, "", join(wineEnv(), env)) {}
    ~WineServer() {
        support::runProcess({"wineserver", "--kill"}, "", wineEnv(), 20);
        if (!process.waitExit(10)) process.signal(SIGKILL);
    }
    Process process;
};

class WineEnvironment : public testing::Environment {
public:
    void SetUp() override {
        prefixDir = new support::TempDir;
        if (!std::filesystem::exists(exePath()) || support::runProcess({"sh", "-c", "command -v wine"}).exitCode != 0)
            return;
        const Env noDisplay{"DISPLAY", "WAYLAND_DISPLAY"};
        WineServer server(noDisplay);
        const auto boot = support::runProcess({"wine", "wineboot", "--init"}, "", join(wineEnv(), noDisplay), 300);
        const auto audio = support::runProcess(
            {"wine", "reg", "add", "HKCU\\Software\\Wine\\Drivers", "/v", "Audio", "/d", "pulse", "/f"}, "",
            join(wineEnv(), noDisplay), 60);
        ready = boot.exitCode == 0 && audio.exitCode == 0;
        if (!ready) why = "the Wine prefix could not be made: " + boot.err + audio.err;
    }
    void TearDown() override { delete prefixDir; }
    static inline bool ready = false;
    static inline std::string why = "build-windows/salute.exe or wine is missing (./test.sh --windows)";
};

// The program in `folder` under a Wine server of its own.
struct WindowsProgram {
    WindowsProgram(const ProgramFolder& folder, const Env& env)
        : server(env), process({"wine", exePath()}, folder.dir.path(), join(wineEnv(), env)) {}
    WineServer server;
    Process process;
};

#define REQUIRE_WINE() \
    if (WineEnvironment::ready) {                 \
    } else                                          \
        GTEST_SKIP() << WineEnvironment::why

// The program's stderr in Linux line ends: a Windows program's text-mode
// stderr ends its lines with CR LF.
std::string errText(const Process& process) {
    std::string text = process.err();
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
    return text;
}

// Presses that write nothing and end nothing, to let a held frame go.
void releaseHold(Display* x) { key(x, "Shift_L"); }

// ---- Frames ---------------------------------------------------------------------

struct Screen {
    int width;
    int height;
    std::vector<long> frames;  // at 4 frames per second
};

class WindowsPictureTest : public testing::TestWithParam<Screen> {};

TEST_P(WindowsPictureTest, FramesAsHeadless) {
    REQUIRE_WINE();
    const Screen screen = GetParam();
    const std::string size = std::to_string(screen.width) + "x" + std::to_string(screen.height);
    std::string why;
    auto pulse = startServer(Kind::pulse, why);
    auto server = pulse ? startServer(Kind::xvfb, why, screen.width, screen.height) : nullptr;
    if (!server) GTEST_SKIP() << why;
    ProgramFolder folder;
    std::string holds;
    for (long frame : screen.frames) holds += (holds.empty() ? "" : ",") + std::to_string(frame);
    WindowsProgram program(folder, join(join(server->clientEnv, pulse->clientEnv),
                                        {"SALUTE_FRAME_CLOCK=4", "SALUTE_HOLD_FRAMES=" + holds}));
    XConnection connection = connect(server->display);
    Display* x = connection.get();
    ASSERT_TRUE(x);
    std::string expectedErr;
    int line = 0;
    for (long frame : screen.frames) {
        const std::string held = "salute: holding frame " + std::to_string(frame);
        line = program.process.waitForErrLine(held, 120, line);
        ASSERT_GE(line, 0) << program.process.err();
        ++line;
        expectedErr += held + "\n";
        const Picture reference = headlessFrame(frame, 4, why);
        ASSERT_FALSE(reference.pixels.empty()) << why;
        const Picture shown = steadyScreenshot(x);
        savePng(shown, "windows-" + size + "-frame" + std::to_string(frame));
        EXPECT_TRUE(showsDrawing(shown, reference, "windows-picture-" + size + "-" + std::to_string(frame)));
        releaseHold(x);
    }
    key(x, "Escape");
    EXPECT_EQ(program.process.waitExit(30), 0);
    EXPECT_EQ(errText(program.process), expectedErr);
}

// The golden times (tests/golden) at 4 frames per second; scaled, one.
INSTANTIATE_TEST_SUITE_P(Screens, WindowsPictureTest,
                         testing::Values(Screen{640, 480, {1, 51, 201, 391}}, Screen{1280, 720, {51}}),
                         [](const testing::TestParamInfo<Screen>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

// ---- No sound device ------------------------------------------------------------

TEST(WindowsShellTest, NoSoundDeviceOneLineAndTheFirstFrame) {
    REQUIRE_WINE();
    std::string why;
    auto server = startServer(Kind::xvfb, why);
    if (!server) GTEST_SKIP() << why;
    ProgramFolder folder;
    WindowsProgram program(folder, join(server->clientEnv, {"PULSE_SERVER=unix:/nonexistent/salute-no-server",
                                                            "SALUTE_FRAME_CLOCK=4", "SALUTE_HOLD_FRAMES=0,1"}));
    ASSERT_GE(program.process.waitForErrLine("salute: holding frame 0", 60), 0) << program.process.err();
    XConnection connection = connect(server->display);
    ASSERT_TRUE(connection);
    const Picture reference = headlessFrame(0, 4, why);
    EXPECT_TRUE(showsDrawing(steadyScreenshot(connection.get()), reference, "windows-no-sound-frame0"));
    releaseHold(connection.get());
    EXPECT_EQ(program.process.waitExit(30), 0);
    EXPECT_EQ(errText(program.process),
              "salute: no audio output (no sound device found); the presentation ends after its first frame\n"
              "salute: holding frame 0\n");
}

// Started as Explorer starts it, without a console or a stderr: the line
// is shown in a message box once the presentation has ended.
TEST(WindowsShellTest, NoSoundDeviceFromExplorerSaysSoInAMessageBox) {
    REQUIRE_WINE();
    std::string why;
    auto server = startServer(Kind::xvfb, why);
    if (!server) GTEST_SKIP() << why;
    ProgramFolder folder;
    const Env env = join(server->clientEnv, {"PULSE_SERVER=unix:/nonexistent/salute-no-server"});
    WineServer wine(env);
    const auto started = support::runProcess(
        {"wine", "rundll32.exe", "shell32.dll,ShellExec_RunDLL", "Z:" + exePath()}, folder.dir.path(),
        join(wineEnv(), env), 60);
    ASSERT_EQ(started.exitCode, 0) << started.err;
    XConnection connection = connect(server->display);
    Display* x = connection.get();
    ASSERT_TRUE(x);
    // The box is titled as the program's window was, and smaller.
    Window box = 0;
    EXPECT_TRUE(eventually([&] {
        box = findWindow(x, "Salute");
        return box && geometry(x, box).width < 640;
    }, 60));
    ASSERT_NE(box, 0u);
    savePng(steadyScreenshot(x), "windows-message-box");
    key(x, "Return");
    EXPECT_TRUE(eventually([&] { return !findWindow(x, "Salute"); }, 10));
}

// ---- Ways out under a real mode switch -----------------------------------------

enum class Way { escape, close, musicEnd };

struct WayOut {
    const char* name;
    Way way;
};

class WindowsModeTest : public testing::TestWithParam<WayOut> {};

TEST_P(WindowsModeTest, DesktopBackAfterWayOut) {
    REQUIRE_WINE();
    const WayOut way = GetParam();
    std::string why;
    auto pulse = startServer(Kind::pulse, why);
    auto server = pulse ? startServer(Kind::xorgDummy, why) : nullptr;
    if (!server) GTEST_SKIP() << why;
    XConnection connection = connect(server->display);
    Display* x = connection.get();
    ASSERT_TRUE(x);
    const auto screenSize = [x] {
        const Rect root = geometry(x, DefaultRootWindow(x));
        return std::to_string(root.width) + "x" + std::to_string(root.height);
    };
    ASSERT_EQ(screenSize(), "1920x1080");

    // The music's end: a short one, recorded from the sink to be compared
    // with the file.
    const bool music = way.way == Way::musicEnd;
    ProgramFolder folder(music ? 0 : 60);
    std::unique_ptr<SoundRecording> recording;
    if (music) {
        std::filesystem::remove(folder.file("90secver.ogg"));
        ASSERT_TRUE(writePatternOgg(folder.file("90secver.ogg"), 8));
        recording = std::make_unique<SoundRecording>(*pulse);
        ASSERT_TRUE(recording->started()) << recording->error();
    }
    // The first frame held a moment, so that the presses below come once the
    // presentation has started. Wine's sound driver keeps only about 10 ms at
    // the sound server, which the drawing and other work on two shared cores
    // can starve into gaps: the music is heard while the second frame is
    // held, with 300 ms at the server (libpulse's PULSE_LATENCY_MSEC), what a
    // desktop keeps, at the price of Wine losing some 40 ms of the start. The
    // desktop sound test hears the music under the drawing's load.
    WindowsProgram program(folder, join(join(server->clientEnv, pulse->clientEnv),
                                        {music ? "SALUTE_HOLD_FRAMES=0,1" : "SALUTE_HOLD_FRAMES=0",
                                         "PULSE_LATENCY_MSEC=300"}));
    const Window window = waitForWindow(x, "Salute", 60, false, &program.process);
    ASSERT_NE(window, 0u) << program.process.err();
    EXPECT_TRUE(eventually([&] { return screenSize() == "640x480"; })) << screenSize();
    ASSERT_GE(program.process.waitForErrLine("salute: holding frame 0", 60), 0) << program.process.err();
    releaseHold(x);
    if (!music) {
        key(x, "space");
        pause(0.3);
        key(x, "space");
        EXPECT_TRUE(eventually([&] { return bool(logHolds(folder, 2)); }, 20)) << logHolds(folder, 2);
    }
    if (music) {
        ASSERT_GE(program.process.waitForErrLine("salute: holding frame 1", 60), 0) << program.process.err();
        pause(9);  // the eight seconds of music, and a second
        releaseHold(x);
    }
    if (way.way == Way::escape) key(x, "Escape");
    if (way.way == Way::close) sendClose(x, window);
    EXPECT_EQ(program.process.waitExit(music ? 60 : 20), 0);
    EXPECT_EQ(errText(program.process), music ? "salute: holding frame 0\nsalute: holding frame 1\n"
                                              : "salute: holding frame 0\n");
    EXPECT_TRUE(eventually([&] { return screenSize() == "1920x1080"; }, 5)) << screenSize();
    if (music) {
        EXPECT_TRUE(recording->heardWhole(support::decodeOgg(folder.file("90secver.ogg"))));
    }
}

INSTANTIATE_TEST_SUITE_P(WaysOut, WindowsModeTest,
                         testing::Values(WayOut{"escape", Way::escape}, WayOut{"close", Way::close},
                                         WayOut{"music_end", Way::musicEnd}),
                         [](const testing::TestParamInfo<WayOut>& info) { return std::string(info.param.name); });

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Wine makes and destroys windows of its own while a test looks through
    // the tree for the program's: a window gone meanwhile is no error.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    testing::AddGlobalTestEnvironment(new WineEnvironment);
    return RUN_ALL_TESTS();
}
