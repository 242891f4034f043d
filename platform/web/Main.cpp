// Process entry of the page's program. The page calls main when the viewer
// presses Play (at once with ?autoplay=1), with the data already in the
// page's file system; the run ends when the presentation does.
#include "platform/win32.h"

int main() { return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW); }
