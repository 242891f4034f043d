// Xorg with the dummy video driver: an X server whose XRandR really
// switches modes, with no hardware. Its desktop is 1920 x 1080 on the
// output DUMMY0; every output also offers 640 x 480. Outputs DUMMY1 and up
// are dark until a mode is added to them and set.
#pragma once

#include <memory>
#include <string>

#include "tests/desktop/Harness.h"

namespace desktop {

class XorgDummy : public XServer {
public:
    static constexpr int width = 1920;
    static constexpr int height = 1080;

    // Null, with the reason in `why`, where Xorg cannot run here: not root,
    // Xorg or the dummy driver not installed, or five display numbers failed.
    static std::unique_ptr<XorgDummy> start(std::string& why);
    ~XorgDummy() override { stop(); }  // before its folder goes

private:
    support::TempDir folder_;  // its configuration and log
};

}  // namespace desktop
