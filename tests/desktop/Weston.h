// A weston compositor of the test's own, its Wayland socket in a runtime
// folder of its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/desktop/Harness.h"

namespace desktop {

class Weston : public ServerProcess {
public:
    // The headless backend: one 640 x 480 output, no input devices and so no
    // seat at all.
    static std::unique_ptr<Weston> headless();
    // The X11 backend: its output is a width x height window on `x`, and its
    // seat takes keyboard and pointer from there; keys reach the focused
    // Wayland client when that window has the X focus (focusOutput).
    static std::unique_ptr<Weston> onX(const XServer& x, int width, int height);
    ~Weston() override { stop(); }  // before its folder goes

    // A client's environment for this compositor, without X.
    std::vector<std::string> clientEnv() const {
        return {"XDG_RUNTIME_DIR=" + dir_.path(), std::string("WAYLAND_DISPLAY=") + socket, "DISPLAY", "SDL_VIDEODRIVER"};
    }
    // Gives the output window on the X server the keyboard focus; false when
    // it did not appear within 10 s.
    static bool focusOutput(const XClient& client);

private:
    static constexpr const char* socket = "salute-wayland";
    static std::unique_ptr<Weston> start(const std::vector<std::string>& backend, const std::vector<std::string>& env);
    support::TempDir dir_;
};

}  // namespace desktop
