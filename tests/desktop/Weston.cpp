#include "tests/desktop/Weston.h"

#include <X11/Xlib.h>

#include <filesystem>

namespace desktop {

std::unique_ptr<Weston> Weston::start(const std::vector<std::string>& backend, const std::vector<std::string>& env) {
    if (!haveCommand("weston")) return nullptr;
    auto weston = std::unique_ptr<Weston>(new Weston);
    std::vector<std::string> argv{"weston", "--socket=" + std::string(socket), "--idle-time=0", "--no-config"};
    argv.insert(argv.end(), backend.begin(), backend.end());
    std::vector<std::string> all{"XDG_RUNTIME_DIR=" + weston->dir_.path(), "WAYLAND_DISPLAY"};
    all.insert(all.end(), env.begin(), env.end());
    weston->process_ = std::make_unique<Process>(argv, weston->dir_.path(), all);
    // The socket appears once the backend and its output are up.
    for (int i = 0; i < 200 && weston->running(); ++i) {
        if (std::filesystem::exists(weston->dir_.file(socket))) return weston;
        pause(0.05);
    }
    std::fprintf(stderr, "desktop test: weston did not come up: %s\n", weston->process_->err().c_str());
    return nullptr;
}

std::unique_ptr<Weston> Weston::headless() {
    return start({"--backend=headless-backend.so", "--use-pixman", "--width=640", "--height=480"}, {"DISPLAY"});
}

// Not --fullscreen: without a window manager weston would wait for it forever.
std::unique_ptr<Weston> Weston::onX(const XServer& x, int width, int height) {
    return start({"--backend=x11-backend.so", "--use-pixman", "--width=" + std::to_string(width),
                  "--height=" + std::to_string(height)},
                 {"DISPLAY=" + x.display()});
}

// The output is the one top-level window on the server (there is no window
// manager); weston names it only through _NET_WM_NAME.
bool Weston::focusOutput(const XClient& client) {
    Display* display = client.display();
    for (int i = 0; i < 200; ++i, pause(0.05)) {
        Window root = 0, parent = 0, *children = nullptr, output = 0;
        unsigned int count = 0;
        if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) continue;
        for (unsigned int c = 0; c < count; ++c) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, children[c], &attributes) && attributes.map_state == IsViewable)
                output = children[c];
        }
        if (children) XFree(children);
        if (!output) continue;
        XSetInputFocus(display, output, RevertToPointerRoot, CurrentTime);
        XSync(display, False);
        return true;
    }
    return false;
}

}  // namespace desktop
