// Opening data files on Windows (platform/files.h). A name in the device
// namespace (CON, NUL, COM1, \\.\...) is refused before anything is
// opened; a file that is opened is checked again by its handle, which must
// be a file on a disk (GetFileType), not a console, device or pipe.
#include "platform/files.h"

#include <fcntl.h>
#include <io.h>

#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

// The words of a failed call, in the terms the Linux build uses where they
// have a meaning there.
const char* systemReason(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return "No such file or directory";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return "Permission denied";
    default:
        break;
    }
    static char text[256];
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text, nullptr);
    if (length == 0) std::snprintf(text, sizeof text, "system error %lu", static_cast<unsigned long>(error));
    // Without the closing full stop and line end.
    for (std::size_t end = std::strlen(text); end > 0 && std::strchr(".\r\n ", text[end - 1]); --end) text[end - 1] = 0;
    return text;
}

enum class Kind { missing, folder, device, pipe, file };

// What the name stands for, looked at without opening it.
Kind kindOfName(const char* path, DWORD& error) {
    // The full path of a reserved device name is in the device namespace.
    char full[MAX_PATH * 2];
    const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    if (length > 0 && length < sizeof full) {
        if (_strnicmp(full, "\\\\.\\pipe\\", 9) == 0) return Kind::pipe;
        if (std::strncmp(full, "\\\\.\\", 4) == 0) return Kind::device;
    }
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = GetLastError();
        return Kind::missing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::folder : Kind::file;
}

}  // namespace

const char* folderProblem(const char* path) {
    DWORD error = 0;
    switch (kindOfName(path, error)) {
    case Kind::missing:
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? "there is no such folder"
                                                                              : systemReason(error);
    case Kind::folder: return nullptr;
    case Kind::device: return "it is a device, not a folder";
    case Kind::pipe: return "it is a named pipe, not a folder";
    case Kind::file: break;
    }
    return "it is a file, not a folder";
}

std::FILE* openDataFile(const char* path, const char*& why) {
    DWORD error = 0;
    switch (kindOfName(path, error)) {
    case Kind::missing: why = systemReason(error); return nullptr;
    case Kind::folder: why = "it is a folder, not a file"; return nullptr;
    case Kind::device: why = "it is a device, not a file"; return nullptr;
    case Kind::pipe: why = "it is a named pipe, not a file"; return nullptr;
    case Kind::file: break;
    }
    // Others may go on reading it, as with any open file on Linux.
    HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        why = systemReason(GetLastError());
        return nullptr;
    }
    // Checked again on the handle, in case the name changed meanwhile.
    BY_HANDLE_FILE_INFORMATION information{};
    const DWORD type = GetFileType(handle);
    if (type != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        why = type == FILE_TYPE_PIPE   ? "it is a named pipe, not a file"
              : type == FILE_TYPE_CHAR ? "it is a device, not a file"
              : type == FILE_TYPE_DISK ? "it is a folder, not a file"
                                       : "it is not a regular file";
        CloseHandle(handle);
        return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(handle);
        why = "no file descriptor is free";
        return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "rb");
    if (!file) {
        _close(descriptor);  // also closes the handle
        why = "no file stream is free";
    }
    return file;
}
