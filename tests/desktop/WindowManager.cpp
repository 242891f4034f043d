#include "tests/desktop/WindowManager.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/scrnsaver.h>

#include <chrono>

namespace desktop {

namespace {

bool announced(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                          &format, &count, &left, &data) == Success &&
                       count == 1;
    if (data) XFree(data);
    return found;
}

}  // namespace

std::unique_ptr<WindowManager> WindowManager::start(const XServer& server) {
    auto manager = std::make_unique<WindowManager>();
    manager->process_ = std::make_unique<Process>(std::vector<std::string>{"openbox", "--sm-disable"}, "",
                                                  std::vector<std::string>{"DISPLAY=" + server.display()});
    XClient client(server.display());
    for (int i = 0; i < 200 && client.ok() && manager->running(); ++i) {
        if (announced(client.display())) return manager;
        pause(0.05);
    }
    return nullptr;
}

bool minimise(XClient& client, XWindow window) {
    const bool sent = XIconifyWindow(client.display(), window, DefaultScreen(client.display())) != 0;
    XSync(client.display(), False);
    return sent;
}

bool activate(XClient& client, XWindow window) {
    Display* display = client.display();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // from a pager: a user's request
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, DefaultRootWindow(display), False,
                                 SubstructureRedirectMask | SubstructureNotifyMask, &event) != 0;
    XSync(display, False);
    return sent;
}

OtherWindow::OtherWindow(XClient& client, Rect area) : client_(client) {
    Display* display = client.display();
    window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), area.x, area.y,
                                  static_cast<unsigned>(area.width), static_cast<unsigned>(area.height), 0, 0,
                                  WhitePixel(display, DefaultScreen(display)));
    XStoreName(display, window_, "Other");
    XMapRaised(display, window_);
    XSync(display, False);
    // Focus once the window manager has mapped it.
    for (int i = 0; i < 100; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, window_, &attributes) && attributes.map_state == IsViewable) break;
        pause(0.05);
    }
    activate(client, window_);
}

OtherWindow::~OtherWindow() {
    XDestroyWindow(client_.display(), window_);
    XSync(client_.display(), False);
}

bool cursorHidden(XClient& client) {
    XFixesCursorImage* image = XFixesGetCursorImage(client.display());
    if (!image) return false;
    bool visible = false;
    for (int i = 0; i < image->width * image->height; ++i) visible = visible || (image->pixels[i] >> 24) != 0;
    XFree(image);
    return !visible;
}

void movePointer(XClient& client, int x, int y) {
    XTestFakeMotionEvent(client.display(), DefaultScreen(client.display()), x, y, CurrentTime);
    XSync(client.display(), False);
}

bool screenSaverOn(XClient& client) {
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    const bool on = info && XScreenSaverQueryInfo(client.display(), DefaultRootWindow(client.display()), info) &&
                    info->state == ScreenSaverOn;
    if (info) XFree(info);
    return on;
}

int screenSaverTimeout(XClient& client) {
    int timeout = 0;
    int interval = 0;
    int blanking = 0;
    int exposures = 0;
    XGetScreenSaver(client.display(), &timeout, &interval, &blanking, &exposures);
    return timeout;
}

void setScreenSaverTimeout(XClient& client, int seconds) {
    XSetScreenSaver(client.display(), seconds, 0, DefaultBlanking, DefaultExposures);
    XSync(client.display(), False);
}

}  // namespace desktop
