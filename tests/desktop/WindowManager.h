// A real window manager for the desktop tests (openbox), and what a user
// does through one: minimise, bring back, raise another window. Also what
// the desktop shows besides windows: the cursor and the screen saver.
#pragma once

#include "tests/desktop/Harness.h"

namespace desktop {

// openbox on `server`, ready once it has announced itself on the root
// window (_NET_SUPPORTING_WM_CHECK). Null when it did not start.
class WindowManager : public ServerProcess {
public:
    static std::unique_ptr<WindowManager> start(const XServer& server);
};

// Asks the window manager to minimise the window, or to bring it back
// and give it the focus (_NET_ACTIVE_WINDOW).
bool minimise(XClient& client, XWindow window);
bool activate(XClient& client, XWindow window);

// A plain window of our own, mapped, raised and given the focus: another
// program coming to the front. Destroyed with the object.
class OtherWindow {
public:
    explicit OtherWindow(XClient& client, Rect area = {0, 0, 200, 150});
    ~OtherWindow();
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;
    XWindow id() const { return window_; }

private:
    XClient& client_;
    XWindow window_ = 0;
};

// True when the cursor the server shows now has no visible pixel (XFixes).
bool cursorHidden(XClient& client);
// Moves the pointer to a point on the screen (XTest).
void movePointer(XClient& client, int x, int y);

// The screen saver: whether it is showing now (the X screen-saver
// extension), and its time-out in seconds, which `xset s` sets.
bool screenSaverOn(XClient& client);
int screenSaverTimeout(XClient& client);
void setScreenSaverTimeout(XClient& client, int seconds);

}  // namespace desktop
