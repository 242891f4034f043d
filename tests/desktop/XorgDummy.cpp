#include "tests/desktop/XorgDummy.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace desktop {

namespace {

// A 1920 x 1080 desktop that also offers 640 x 480 (standard timings), and
// no input devices of the machine's own: keys come through XTest.
const char* const configuration = R"(Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "card"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
  Modeline "640x480" 25.175 640 656 752 800 480 490 492 525 -hsync -vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "card"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 1920 1080
    Modes "1920x1080" "640x480"
  EndSubSection
EndSection
)";

}  // namespace

std::unique_ptr<XorgDummy> XorgDummy::start(std::string& why) {
    if (geteuid() != 0) {
        why = "Xorg with the dummy driver needs root";
        return nullptr;
    }
    if (!haveCommand("Xorg") || !std::filesystem::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so")) {
        why = "Xorg or its dummy driver is not installed (xserver-xorg-core, xserver-xorg-video-dummy)";
        return nullptr;
    }
    for (int attempt = 0; attempt < 5; ++attempt) {
        auto server = std::make_unique<XorgDummy>();
        const std::string config = server->folder_.file("xorg.conf");
        const std::string snippets = server->folder_.file("xorg.conf.d");  // none: the machine's are not read
        std::filesystem::create_directory(snippets);
        std::ofstream(config) << configuration;
        server->display_ = ":" + std::to_string(randomDisplayNumber());
        server->process_ = std::make_unique<Process>(std::vector<std::string>{
            "Xorg", server->display_, "-config", config, "-configdir", snippets, "-noreset", "-nolisten", "tcp",
            "-logfile", server->folder_.file("Xorg.log")});
        if (waitForScreen(server->display_, width, height, *server)) return server;
    }
    why = "Xorg with the dummy driver did not start (five tries)";
    return nullptr;
}

}  // namespace desktop
