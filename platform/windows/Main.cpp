// Process entry of the Windows program: runs the presentation's entry
// routine, and sees that its messages (the lines the program and the
// platform write to stderr) reach the person the way a Windows program's do:
//   - stderr already goes somewhere (a console program started it, or it is
//     redirected to a file or pipe): the lines go there, as on Linux;
//   - started from a console (cmd, PowerShell), which a program of the
//     Windows subsystem is not attached to: the lines go to that console;
//   - otherwise (started from Explorer or a shortcut): the lines are kept
//     and shown in one message box once the presentation has ended and the
//     desktop has its own display mode back.
// A crash also gives the desktop its display mode back before the process
// ends.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "platform/win32.h"

namespace {

// The kept lines, read from the pipe that stderr was turned into.
struct KeptMessages {
    HANDLE reader = nullptr;
    HANDLE thread = nullptr;
    std::string text;
} kept;

DWORD WINAPI keepMessages(void*) {
    char chunk[512];
    DWORD count = 0;
    while (ReadFile(kept.reader, chunk, sizeof chunk, &count, nullptr) && count > 0) kept.text.append(chunk, count);
    return 0;
}

bool usableHandle(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Points stderr at the person (see the top of the file).
void routeMessages() {
    if (usableHandle(GetStdHandle(STD_ERROR_HANDLE))) return;
    if (AttachConsole(ATTACH_PARENT_PROCESS) && std::freopen("CONOUT$", "w", stderr)) {
        // The console's prompt was shown before the program started: start
        // on a line of the program's own.
        std::fputs("\n", stderr);
        return;
    }
    HANDLE writer = nullptr;
    if (!CreatePipe(&kept.reader, &writer, nullptr, 0)) return;
    // The C library's stderr writes to descriptor 2, which a program of the
    // Windows subsystem starts without: it becomes the pipe's writing end.
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(writer), _O_TEXT);
    if (descriptor < 0 || (descriptor != 2 && _dup2(descriptor, 2) != 0)) {
        if (descriptor < 0) CloseHandle(writer);
        CloseHandle(kept.reader);
        kept.reader = nullptr;
        return;
    }
    if (descriptor != 2) _close(descriptor);
    // The C library (msvcrt) gives such a program's stderr stream no
    // descriptor at all (-2): it is given descriptor 2.
    if (_fileno(stderr) < 0) stderr->_file = 2;
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    kept.thread = CreateThread(nullptr, 0, keepMessages, nullptr, 0, nullptr);
}

// Shows the kept lines, if any, in one message box.
void showKeptMessages() {
    if (!kept.thread) return;
    std::fflush(stderr);
    _close(2);  // the pipe's last writer: the reader sees its end
    WaitForSingleObject(kept.thread, 5000);
    if (!kept.text.empty()) MessageBoxA(nullptr, kept.text.c_str(), "Salute", MB_OK | MB_ICONWARNING);
}

// A crash ends the process without the program's own clean-up: the display
// mode is given back here. Windows itself would do it at process end, but
// not every system that runs Windows programs does.
LONG WINAPI restoreDisplayOnCrash(EXCEPTION_POINTERS*) {
    ChangeDisplaySettingsA(nullptr, 0);
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int main() {
    routeMessages();
    SetUnhandledExceptionFilter(restoreDisplayOnCrash);
    const int status = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW);
    showKeptMessages();
    return status;
}
