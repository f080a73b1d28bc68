#include "platform/win32/native_path_win32.h"

#include "platform/win32/windows_api.h"

bool toWidePath(const char* path, std::wstring& wide) {
    wide.clear();
    if (!path) return false;
    if (*path == '\0') return true;
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (length <= 0) return false;
    wide.resize(static_cast<std::size_t>(length));
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, &wide[0], length) != length)
        return false;
    wide.pop_back();
    return true;
}

// A code page other than UTF-8 replaces what it lacks with a look-alike or '?', and UTF-8 a
// lone surrogate with U+FFFD; the way back tells either from an exact spelling.
bool fromWidePath(const wchar_t* wide, std::string& path) {
    path.clear();
    if (!wide) return false;
    if (*wide == L'\0') return true;
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    path.resize(static_cast<std::size_t>(length));
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, &path[0], length, nullptr, nullptr) != length)
        return false;
    path.pop_back();
    std::wstring back;
    return toWidePath(path.c_str(), back) && back == wide;
}
