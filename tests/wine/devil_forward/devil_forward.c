/* A test-only DevIL.dll for Wine: each Windows entry point calls the same function of
 * Debian's libIL.so.1, so that korvalin.exe decodes its textures under Wine with the
 * very DevIL code the Linux program uses. File names arrive as Windows paths and are handed to
 * libIL as the Unix paths Wine maps them to.
 *
 * Built with -DKORVALIN_UNICODE_STRINGS, its ilGetString answers with wide text, as DevIL's
 * Unicode build does: the one trait the program tells that build by. Built with
 * -DKORVALIN_HOSTILE_MARKS, it crashes on an image whose bytes start with "KORVALIN CRASH" and
 * never returns from one that starts with "KORVALIN LOOP", as DevIL does on some corrupt files, and
 * takes memory without end for one that starts with "KORVALIN GREEDY". */
#include <stdarg.h>
#include <string.h>

/* In this order: each needs the one before. */
#include <windef.h>

#include <winbase.h>

#include <winnls.h>

/* The Linux library's declarations: cdecl, no import decoration. */
#define IL_STATIC_LIB
#include <IL/il.h>

/* The Unix path of a Windows one, allocated on the process heap; NULL when it has none. */
static char* unix_path(const char* windows_path) {
    int length;
    WCHAR* wide;
    char* path;
    if (!windows_path) return NULL;
    length = MultiByteToWideChar(CP_ACP, 0, windows_path, -1, NULL, 0);
    if (length <= 0) return NULL;
    wide = HeapAlloc(GetProcessHeap(), 0, length * sizeof(WCHAR));
    if (!wide) return NULL;
    MultiByteToWideChar(CP_ACP, 0, windows_path, -1, wide, length);
    path = wine_get_unix_file_name(wide);
    HeapFree(GetProcessHeap(), 0, wide);
    return path;
}

void WINAPI forward_ilInit(void) {
    ilInit();
}

void WINAPI forward_ilGenImages(ILsizei count, ILuint* images) {
    ilGenImages(count, images);
}

void WINAPI forward_ilBindImage(ILuint image) {
    ilBindImage(image);
}

void WINAPI forward_ilDeleteImages(ILsizei count, const ILuint* images) {
    ilDeleteImages(count, images);
}

const char* WINAPI forward_ilGetString(ILenum name) {
#ifdef KORVALIN_UNICODE_STRINGS
    static const WCHAR vendor[] = {'A', 'b', 'y', 's', 'm', 'a', 'l', ' ', 'S',
                                   'o', 'f', 't', 'w', 'a', 'r', 'e', 0};
    if (name == IL_VENDOR) return (const char*)vendor;
#endif
    return ilGetString(name);
}

ILboolean WINAPI forward_ilLoadImage(const char* file_name) {
    char* path = unix_path(file_name);
    ILboolean loaded;
    if (!path) return IL_FALSE;
    loaded = ilLoadImage(path);
    HeapFree(GetProcessHeap(), 0, path);
    return loaded;
}
ILboolean WINAPI forward_ilLoadL(ILenum type, const void* lump, ILuint size) {
#ifdef KORVALIN_HOSTILE_MARKS
    static const char crash[] = "KORVALIN CRASH", loop[] = "KORVALIN LOOP",
                      greedy[] = "KORVALIN GREEDY";
    int* volatile nowhere = NULL;
    if (size >= sizeof crash - 1 && memcmp(lump, crash, sizeof crash - 1) == 0) *nowhere = 1;
    if (size >= sizeof loop - 1 && memcmp(lump, loop, sizeof loop - 1) == 0)
        for (volatile unsigned long spins = 0;;)
            spins = spins + 1;
    if (size >= sizeof greedy - 1 && memcmp(lump, greedy, sizeof greedy - 1) == 0)
        for (;;) {
            char* block = HeapAlloc(GetProcessHeap(), 0, 64 << 20);
            if (block) memset(block, 1, 64 << 20);
        }
#endif
    return ilLoadL(type, lump, size);
}

ILenum WINAPI forward_ilTypeFromExt(const char* file_name) {
    return ilTypeFromExt(file_name);
}

ILboolean WINAPI forward_ilConvertImage(ILenum format, ILenum type) {
    return ilConvertImage(format, type);
}

ILint WINAPI forward_ilGetInteger(ILenum mode) {
    return ilGetInteger(mode);
}

ILubyte* WINAPI forward_ilGetData(void) {
    return ilGetData();
}

ILboolean WINAPI forward_ilTexImage(ILuint width, ILuint height, ILuint depth, ILubyte channels,
                                    ILenum format, ILenum type, void* data) {
    return ilTexImage(width, height, depth, channels, format, type, data);
}

void WINAPI forward_ilRegisterOrigin(ILenum origin) {
    ilRegisterOrigin(origin);
}

ILboolean WINAPI forward_ilEnable(ILenum mode) {
    return ilEnable(mode);
}

ILboolean WINAPI forward_ilDisable(ILenum mode) {
    return ilDisable(mode);
}

ILboolean WINAPI forward_ilSave(ILenum type, const char* file_name) {
    char* path = unix_path(file_name);
    ILboolean saved;
    if (!path) return IL_FALSE;
    saved = ilSave(type, path);
    HeapFree(GetProcessHeap(), 0, path);
    return saved;
}

ILuint WINAPI forward_ilSaveL(ILenum type, void* lump, ILuint size) {
    return ilSaveL(type, lump, size);
}
