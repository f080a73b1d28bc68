#include "platform/command_line_output.h"
#include "platform/win32/windows_api.h"

#include <string>

namespace {

// Windows text files and consoles end lines with CR LF.
std::string withWindowsLineEnds(const char* text) {
    std::string lines;
    for (const char* c = text; *c; ++c) {
        if (*c == '\n') lines += '\r';
        lines += *c;
    }
    return lines;
}

bool writeAll(HANDLE stream, const std::string& text) {
    DWORD written = 0;
    return stream && stream != INVALID_HANDLE_VALUE &&
           WriteFile(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// Output redirected to a file or a pipe reaches the program as a standard handle of its own.
bool writeToStandardHandle(const std::string& text, bool isError) {
    HANDLE stream = GetStdHandle(isError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (!stream || stream == INVALID_HANDLE_VALUE || GetFileType(stream) == FILE_TYPE_UNKNOWN)
        return false;
    return writeAll(stream, text);
}

// Started from a command prompt: its console, which a GUI program has to join.
bool writeToParentConsole(const std::string& text) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    const bool written = writeAll(console, "\r\n" + text);
    if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
    FreeConsole();
    return written;
}

} // namespace

void showCommandLineText(const char* text, bool isError) {
    const std::string lines = withWindowsLineEnds(text);
    if (writeToStandardHandle(lines, isError) || writeToParentConsole(lines)) return;
    MessageBoxA(nullptr, text, "Korvalin", MB_OK | (isError ? MB_ICONERROR : MB_ICONINFORMATION));
}
