#pragma once

#include <string>

// The program's own paths are in the ANSI code page, which the manifest makes UTF-8 (see
// resources/korvalin.manifest): the code page the C library's and the system's ANSI calls read
// them in. The wide calls need no MAX_PATH limit and no guessing.

// False when path is not valid text in that code page.
bool toWidePath(const char* path, std::wstring& wide);
// False when the code page cannot spell the wide text exactly (a name the program could then
// never open again).
bool fromWidePath(const wchar_t* wide, std::string& path);
