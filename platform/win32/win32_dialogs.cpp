// Message boxes, the common file and folder dialogs, and dialogs from resources.
#include "platform/win32/win32_services.h"

#include "platform/win32/win32_state.h"

#include <algorithm>
#include <climits>
#include <string>

namespace {

// What DialogBoxParamA hands to WM_INITDIALOG: the program's procedure and its parameter.
struct DialogCall {
    DialogProcedure procedure;
    std::intptr_t parameter;
};

// Messages before WM_INITDIALOG find no procedure yet and take the default dialog handling.
INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* call = reinterpret_cast<const DialogCall*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(call->procedure));
        return call->procedure(dialog, message, wParam, call->parameter);
    }
    auto procedure = reinterpret_cast<DialogProcedure>(GetWindowLongPtrA(dialog, DWLP_USER));
    return procedure ? procedure(dialog, message, wParam, lParam) : FALSE;
}

// One filter: the label, then the pattern list, which Windows separates (and ends) with ';'.
std::string fileFilter(const char* label, const char* pattern) {
    std::string filter(label);
    filter += '\0';
    filter += pattern;
    if (filter.back() != ';') filter += ';';
    // The list ends with a second NUL, the one c_str() adds.
    filter += '\0';
    return filter;
}

// The ANSI call would cut a name longer than MAX_PATH bytes (UTF-8 takes two for a Cyrillic
// letter) and write '?' for letters outside the code page: such a name is refused instead.
bool ansiPath(const wchar_t* wide, char* path, std::size_t pathSize) {
    if (pathSize == 0) return false;
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL misspelt = FALSE;
    const int size = static_cast<int>(std::min<std::size_t>(pathSize, INT_MAX));
    if (WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, path, size, nullptr,
                            utf8 ? nullptr : &misspelt) > 0 &&
        !misspelt)
        return true;
    path[0] = '\0';
    return false;
}

} // namespace

int Win32Services::messageBox(WindowHandle owner, const char* text, const char* caption,
                              unsigned flags) {
    return MessageBoxA(asWindow(owner), text, caption, flags);
}

bool Win32Services::browseForFolder(const char* title, char* path, std::size_t pathSize) {
    if (pathSize > 0) path[0] = '\0';
    BROWSEINFOA request{};
    request.hwndOwner = GetActiveWindow();
    request.lpszTitle = title;
    PIDLIST_ABSOLUTE folder = SHBrowseForFolderA(&request);
    if (!folder) return false;
    wchar_t chosen[MAX_PATH] = {};
    bool found = SHGetPathFromIDListW(folder, chosen) != FALSE;
    CoTaskMemFree(folder);
    return found && ansiPath(chosen, path, pathSize);
}

// The dialog itself refuses names of files that do not exist; a path longer than pathSize
// makes it fail, which counts as a cancel.
bool Win32Services::openFileDialog(WindowHandle, const char* filterLabel, const char* filterPattern,
                                   char* path, std::size_t pathSize) {
    if (pathSize == 0) return false;
    path[0] = '\0';
    std::string filter = fileFilter(filterLabel, filterPattern);
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = GetActiveWindow();
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = static_cast<DWORD>(std::min<std::size_t>(pathSize, MAXDWORD));
    request.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (GetOpenFileNameA(&request)) return true;
    path[0] = '\0';
    return false;
}

// The dialog comes from the program's resources, under the template's number.
std::intptr_t Win32Services::dialogBox(const DialogTemplate& dialogTemplate, WindowHandle owner,
                                       DialogProcedure procedure, std::intptr_t parameter) {
    DialogCall call{procedure, parameter};
    return DialogBoxParamA(state->instance, MAKEINTRESOURCEA(dialogTemplate.resourceId),
                           asWindow(owner), dialogProcedure, reinterpret_cast<LPARAM>(&call));
}

std::intptr_t Win32Services::sendDialogItemMessage(DialogHandle dialog, unsigned controlId,
                                                   unsigned message, std::uintptr_t wParam,
                                                   std::intptr_t lParam) {
    return SendDlgItemMessageA(asWindow(dialog), static_cast<int>(controlId), message, wParam,
                               lParam);
}

bool Win32Services::endDialog(DialogHandle dialog, std::intptr_t result) {
    return EndDialog(asWindow(dialog), result) != FALSE;
}
