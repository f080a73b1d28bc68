#include "platform/folders.h"

#include "platform/win32/native_path_win32.h"
#include "platform/win32/windows_api.h"

bool filesInFolder(const char* folder, std::vector<std::string>& names) {
    names.clear();
    std::wstring pattern;
    if (!toWidePath(folder, pattern) || pattern.empty()) return false;
    if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    // A drive's root can be empty: not even "." and ".." are found there.
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        std::string name;
        // A name the code page cannot spell could never be opened by the program.
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) &&
            fromWidePath(found.cFileName, name))
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    return complete;
}

bool makeFolder(const char* path) {
    std::wstring wide;
    if (!toWidePath(path, wide) || wide.empty()) return false;
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
