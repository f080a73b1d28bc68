#include "platform/atomic_file.h"

#include "platform/win32/windows_api.h"

#include <string>

namespace {

// The folder part of path, where the temporary file goes so that the rename stays on one disk.
std::string folderOf(const char* path) {
    std::string text(path);
    std::size_t separator = text.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    return text.substr(0, separator + 1);
}

// A new, empty file with a name of its own beside the target; its name is no longer than the
// target's, so a path that fits the ANSI calls keeps fitting.
HANDLE createTemporary(const char* path, char (&name)[MAX_PATH]) {
    if (GetTempFileNameA(folderOf(path).c_str(), "kvl", 0, name) == 0) return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) DeleteFileA(name);
    return file;
}

bool writeAll(HANDLE file, const char* data, std::size_t size) {
    while (size > 0) {
        DWORD chunk = size > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool fillAndClose(HANDLE file, const char* data, std::size_t size) {
    bool complete = writeAll(file, data, size) && FlushFileBuffers(file);
    bool closed = CloseHandle(file) != 0;
    return complete && closed;
}

} // namespace

// Access on Windows comes from the folder's inherited rights; POSIX mode bits do not apply.
bool replaceFileContents(const char* path, const char* data, std::size_t size, unsigned) {
    char temporary[MAX_PATH];
    HANDLE file = createTemporary(path, temporary);
    if (file == INVALID_HANDLE_VALUE) return false;
    if (fillAndClose(file, data, size) &&
        MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary);
    return false;
}

bool replaceTextFileContents(const char* path, const char* text, std::size_t size,
                             unsigned permissionLimit) {
    std::string lines;
    lines.reserve(size + size / 8);
    for (std::size_t i = 0; i < size; ++i) {
        if (text[i] == '\n') lines += '\r';
        lines += text[i];
    }
    return replaceFileContents(path, lines.data(), lines.size(), permissionLimit);
}
