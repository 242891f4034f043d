// The X server or the Wayland compositor gone under the running program:
// within 2 s one line naming the display, status 1; the log kept.
#include <gtest/gtest.h>
#include <signal.h>

#include <regex>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

struct Loss {
    const char* name;
    bool wayland;      // the program on weston (whose output is a window on Xvfb)
    const char* line;  // with N for the X display's number
};

class DisplayLossTest : public testing::TestWithParam<Loss> {};

TEST_P(DisplayLossTest, EndsWithOneLineAndKeepsTheLog) {
    const Loss loss = GetParam();
    std::string why;
    auto x = startServer(Kind::xvfb, why);
    auto weston = x && loss.wayland ? startServer(Kind::weston, why, 640, 480, x.get()) : nullptr;
    if (!x || (loss.wayland && !weston)) GTEST_SKIP() << why;
    Server& lost = loss.wayland ? *weston : *x;
    XConnection connection = connect(x->display);
    Display* display = connection.get();
    ASSERT_TRUE(display);
    ProgramFolder folder(60);
    auto program = startProgram(folder, lost.clientEnv);
    ASSERT_TRUE(loss.wayland ? focusUnderPointer(display) : waitForWindow(display, "Salute", 20, true, program.get()));
    pause(2.5);  // into the frames
    // A press before the first frame has opened the log is not written; a
    // slow start (the sanitizers on a busy machine) may take longer than
    // the pause, so press again until one is.
    ASSERT_TRUE(eventually(
        [&] {
            key(display, "space");
            pause(0.5);
            return bool(logHolds(folder, 1, true));
        },
        30))
        << program->err();
    const std::size_t written = support::readLog(folder.file("log.txt"))->size();
    connection.reset();  // the test's own connection would end the test with the server
    kill(lost.process->pid(), SIGKILL);
    const std::optional<int> status = program->waitExit(2);
    ASSERT_TRUE(status) << "still running 2 s after the display went away";
    EXPECT_EQ(*status, 1);
    const std::string line = std::regex_replace(loss.line, std::regex("N"), x->display.substr(1));
    EXPECT_EQ(program->err(), line + "\n");
    EXPECT_TRUE(logHolds(folder, written));
}

INSTANTIATE_TEST_SUITE_P(
    Displays, DisplayLossTest,
    testing::Values(Loss{"x11", false, "salute: the display :N went away; the presentation ends"},
                    Loss{"wayland", true,
                         "salute: the Wayland display salute-wayland went away; the presentation ends"}),
    [](const testing::TestParamInfo<Loss>& info) { return std::string(info.param.name); });

}  // namespace
