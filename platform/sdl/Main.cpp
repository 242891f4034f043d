// Process entry of the desktop program: runs the presentation's entry routine.
#include "platform/win32.h"

int main() { return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW); }
