// The real program on a virtual X server of its own, driven as a user
// would with real keys and signals, on real time: the ways out, the music's
// end, missing audio and music, no display, the timing log under real key
// repeat and kills, and real X input as window messages.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

// The program's window on a 640 x 480 (or other) screen of its own.
class ShellTest : public testing::Test {
protected:
    void SetUp() override {
        if (!haveCommand("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    }

    // Starts the program (or `argv`) on a new server; false when the server
    // did not come up.
    bool start(const std::vector<std::string>& env = {}, int width = 640, int height = 480,
               const std::vector<std::string>& argv = {}) {
        server = Xvfb::start(width, height);
        if (!server) return false;
        client = std::make_unique<XClient>(server->display());
        started = std::chrono::steady_clock::now();
        program = argv.empty() ? startProgram(folder, *server, env) : startClient(argv, folder, *server, env);
        return client->ok();
    }

    // The program's window once it has the keyboard focus (keys go there).
    XWindow window() {
        const XWindow found = client->waitForWindow("Salute", 20, true, program.get());
        EXPECT_NE(found, 0u) << "no focused window named Salute: " << program->err();
        return found;
    }

    // Waits up to 20 s for log.txt to hold `count` lines: presses are
    // handled between frames, and a frame of the software renderer can take
    // long.
    bool waitForEntries(int count) {
        for (int i = 0; i < 400 && program->running(); ++i) {
            if (logLines().size() >= static_cast<std::size_t>(count)) return true;
            pause(0.05);
        }
        return logLines().size() >= static_cast<std::size_t>(count);
    }

    std::vector<std::string> logLines() const {
        std::istringstream lines(support::readFile(folder.file("log.txt")));
        std::vector<std::string> all;
        for (std::string line; std::getline(lines, line);) all.push_back(line);
        return all;
    }

    // log.txt: `count` entries (at least, when `atLeast`) numbered from 0,
    // "N : TIME", times never going back, every line ended by CR LF.
    testing::AssertionResult logIsGood(std::size_t count, bool atLeast = false) const {
        const std::string text = support::readFile(folder.file("log.txt"));
        if (!text.empty() && text.substr(text.size() - 1) != "\n") return testing::AssertionFailure() << "last line unended";
        const std::vector<std::string> lines = logLines();
        if (atLeast ? lines.size() < count : lines.size() != count)
            return testing::AssertionFailure() << lines.size() << " entries, expected " << count;
        const std::regex entry("([0-9]+) : ([0-9.e+-]+)\r");
        double last = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::smatch match;
            if (!std::regex_match(lines[i], match, entry) || std::stoul(match[1]) != i || std::stod(match[2]) < last)
                return testing::AssertionFailure() << "entry " << i << " is wrong: " << lines[i];
            last = std::stod(match[2]);
        }
        return testing::AssertionSuccess();
    }

    double secondsSinceStart() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }

    ProgramFolder folder{30};
    std::unique_ptr<Xvfb> server;
    std::unique_ptr<XClient> client;
    std::unique_ptr<Process> program;
    std::chrono::steady_clock::time_point started;
};

// ---- The ways out ------------------------------------------------------------

enum class Way { escape, altF4, closeBox, sigterm, sigint };

struct Quit {
    const char* name;
    Way way;
    bool inPause;  // during the second before the first frame
};

class QuitTest : public ShellTest, public testing::WithParamInterface<Quit> {};

// Each way out ends the presentation with status 0. After two presses the
// log holds both entries, the window is gone and the screen is as it was;
// in the pause before the first frame, an earlier log.txt is left as it was.
TEST_P(QuitTest, EndsCleanly) {
    const Quit quit = GetParam();
    const std::string earlier = "0 : 12.5\r\n1 : 40\r\n";
    if (quit.inPause) std::ofstream(folder.file("log.txt"), std::ios::binary) << earlier;
    ASSERT_TRUE(start());
    const XWindow shown = window();
    ASSERT_NE(shown, 0u);
    if (!quit.inPause) {
        pause(2.5);
        client->key("space");
        pause(0.3);
        client->key("space");
        ASSERT_TRUE(waitForEntries(2));
    }
    switch (quit.way) {
    case Way::escape: client->key("Escape"); break;
    case Way::altF4: client->key("F4", {"Alt_L"}); break;
    case Way::closeBox: ASSERT_TRUE(client->sendClose(shown)); break;
    case Way::sigterm: program->signal(SIGTERM); break;
    case Way::sigint: program->signal(SIGINT); break;
    }
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
    if (quit.inPause) {
        EXPECT_EQ(support::readFile(folder.file("log.txt")), earlier);
    } else {
        EXPECT_TRUE(logIsGood(2));
    }
    EXPECT_EQ(client->findWindow("Salute"), 0u) << "the window is still there";
    EXPECT_EQ(client->screenWidth(), 640);
    EXPECT_EQ(client->screenHeight(), 480);
}

INSTANTIATE_TEST_SUITE_P(Ways, QuitTest,
                         testing::Values(Quit{"Escape", Way::escape, false}, Quit{"AltF4", Way::altF4, false},
                                         Quit{"CloseBox", Way::closeBox, false}, Quit{"Sigterm", Way::sigterm, false},
                                         Quit{"Sigint", Way::sigint, false}, Quit{"EscapeInPause", Way::escape, true},
                                         Quit{"CloseBoxInPause", Way::closeBox, true}),
                         [](const testing::TestParamInfo<Quit>& info) { return info.param.name; });

// ---- The music ---------------------------------------------------------------

// The whole presentation, silent, ends with its 3 s of music (after the
// second of pause), saying nothing; log.txt is made and left empty.
TEST_F(ShellTest, EndsWithTheMusic) {
    folder.writeTone(3);
    ASSERT_TRUE(start());
    EXPECT_EQ(program->waitExit(60), 0) << program->err();
    EXPECT_GE(secondsSinceStart(), 3.9);
    EXPECT_EQ(program->err(), "");
    EXPECT_TRUE(logIsGood(0));
}

struct Fault {
    const char* name;
    std::vector<std::string> env;
    char music;           // '-' as made, 't' a text file, 'p' a named pipe
    const char* message;  // the start of the one line on stderr
};

class FaultTest : public ShellTest, public testing::WithParamInterface<Fault> {};

// Without audio output, or with a music file that is not music: one line
// says so, one frame is drawn and it ends by itself with status 0.
TEST_P(FaultTest, SaysSoAndEndsAfterOneFrame) {
    const Fault fault = GetParam();
    if (fault.music == 't') std::ofstream(folder.file("90secver.ogg"), std::ios::trunc) << "not music\n";
    if (fault.music == 'p') {
        std::remove(folder.file("90secver.ogg").c_str());
        ASSERT_EQ(mkfifo(folder.file("90secver.ogg").c_str(), 0600), 0);
    }
    ASSERT_TRUE(start(fault.env));
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
    EXPECT_EQ(support::errorLinesAbout(program->err(), fault.message).size(), 1u) << program->err();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTest,
    testing::Values(Fault{"NoAudio", {"SDL_AUDIODRIVER=no-such-driver"}, '-', "salute: no audio output ("},
                    Fault{"BadMusic", {}, 't', "salute: cannot play \"90secver.ogg\": "},
                    Fault{"MusicIsAPipe", {}, 'p',
                          "salute: cannot play \"90secver.ogg\": it is a named pipe, not a file; "}),
    [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

// No X server at all: one line says so and how to go on; status non-zero.
TEST(NoDisplay, SaysSo) {
    ProgramFolder folder{3};
    Process program({support::programPath()}, folder.path(),
                    {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "SDL_VIDEODRIVER", "SDL_AUDIODRIVER=dummy"});
    const std::optional<int> status = program.waitExit(20);
    ASSERT_TRUE(status);
    EXPECT_NE(*status, 0);
    EXPECT_TRUE(std::regex_search(program.err(), std::regex("^salute: no display: .*; set DISPLAY or run salute-capture")))
        << program.err();
}

// ---- The timing log under real keys ---------------------------------------------

// Space held for four seconds: X's auto-repeat (25 a second after 660 ms)
// writes one entry per repeat, in order, none lost; other keys, held or
// not, write nothing and do not end it.
TEST_F(ShellTest, SpaceHeldWritesEveryRepeat) {
    ASSERT_TRUE(start());
    ASSERT_NE(window(), 0u);
    pause(2.5);
    client->keyDown("a");
    pause(0.8);
    client->keyUp("a");
    for (const char* other : {"Return", "F1", "Left", "5"}) client->key(other);
    client->keyDown("space");
    pause(4);
    client->keyUp("space");
    pause(0.5);
    ASSERT_TRUE(program->running()) << "ended on a key other than Escape";
    client->key("Escape");
    EXPECT_EQ(program->waitExit(30), 0) << program->err();
    EXPECT_TRUE(logIsGood(50, true));
}

// Killed after three presses: each entry is in the file as soon as it is
// made, so none is lost.
TEST_F(ShellTest, KilledLosesNoEntry) {
    ASSERT_TRUE(start());
    ASSERT_NE(window(), 0u);
    pause(2.5);
    for (int press = 0; press < 3; ++press) {
        client->key("space");
        pause(0.3);
    }
    ASSERT_TRUE(waitForEntries(3));
    program->signal(SIGKILL);
    EXPECT_EQ(program->waitExit(10), 128 + SIGKILL);
    EXPECT_TRUE(logIsGood(3));
}

// The X server goes away under it (a logout, a crash of the server): one
// line says so and it ends at once with a non-zero status, spinning on
// nothing; the entries already written stay in the file.
TEST_F(ShellTest, TheDisplayGoingAwayEndsItWithOneLine) {
    ASSERT_TRUE(start());
    ASSERT_NE(window(), 0u);
    pause(2.5);
    client->key("space");
    ASSERT_TRUE(waitForEntries(1));
    client.reset();
    kill(server->pid(), SIGKILL);
    const std::optional<int> status = program->waitExit(2);
    ASSERT_TRUE(status) << "still running 2 s after the X server went away";
    EXPECT_EQ(*status, 1);
    EXPECT_EQ(support::errorLinesAbout(program->err(), "salute:").size(), 1u) << program->err();
    EXPECT_EQ(support::errorLinesAbout(program->err(), "went away").size(), 1u) << program->err();
    EXPECT_TRUE(logIsGood(1));
}

// ---- Real X input as window messages -------------------------------------------

struct ProbeScreen {
    const char* name;
    const char* mode;  // the probe's argument
    int width;
    int height;
};

class MessageTest : public ShellTest, public testing::WithParamInterface<ProbeScreen> {};

// The message probe (the platform layer with a window procedure that prints
// what it gets) under real keys: the client size and the screen-saver
// question first; a held space repeats, marked as already down; other keys
// arrive by their codes; Alt+F4 becomes the close command, then WM_CLOSE,
// and the code posted with WM_QUIT comes back as the exit status.
TEST_P(MessageTest, KeysArriveAsMessages) {
    const ProbeScreen screen = GetParam();
    ASSERT_TRUE(start({}, screen.width, screen.height, {SALUTE_MESSAGE_PROBE, screen.mode}));
    ASSERT_NE(window(), 0u);
    const Rect size = client->geometry(client->findWindow("Salute"));
    EXPECT_EQ(size.width, 640);
    EXPECT_EQ(size.height, 480);
    client->keyDown("space");
    pause(0.9);  // past the X server's auto-repeat delay
    client->keyUp("space");
    for (const char* other : {"a", "5", "F1", "Left", "Return"}) client->key(other);
    client->key("F4", {"Alt_L"});
    EXPECT_EQ(program->waitExit(20), 3) << program->out() << program->err();

    std::vector<std::string> lines;
    std::istringstream out(program->out());
    for (std::string line; std::getline(out, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), 3u) << program->out();
    const auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_EQ(lines.front(), "WM_SIZE 640x480");
    for (const char* line : {"WM_SYSCOMMAND 0xf140", "WM_KEYDOWN 0x20", "WM_KEYDOWN 0x20 was-down",
                             "WM_KEYUP 0x20 was-down", "WM_KEYDOWN 0x41", "WM_KEYDOWN 0x35", "WM_KEYDOWN 0x70",
                             "WM_KEYDOWN 0x25", "WM_KEYDOWN 0x0d"})
        EXPECT_TRUE(has(line)) << "no " << line << " in\n" << program->out();
    // The key-ups already queued still come before the quit, as on Win32.
    const std::vector<std::string> closing{"WM_SYSKEYDOWN 0x73 alt", "WM_SYSCOMMAND 0xf060", "WM_CLOSE 0x0"};
    EXPECT_NE(std::search(lines.begin(), lines.end(), closing.begin(), closing.end()), lines.end())
        << program->out();
}

INSTANTIATE_TEST_SUITE_P(Screens, MessageTest,
                         testing::Values(ProbeScreen{"FullScreen", "fullscreen", 640, 480},
                                         ProbeScreen{"Windowed", "windowed", 1024, 768}),
                         [](const testing::TestParamInfo<ProbeScreen>& info) { return info.param.name; });

}  // namespace
