// DevIL.dll is the user's own and may be missing: the program imports nothing from it, and the
// image library's functions the viewer calls are these, which load DevIL.dll from the program's
// folder on first use. Without a usable DevIL.dll the library reports version 0, so every image
// fails as with a library too old, and the program draws its meshes untextured; saving fails too
// (every call that answers says false).
#include "platform/win32/windows_api.h"

#include <IL/il.h>

#include <string>

namespace {

struct DevilEntryPoints {
    ILint(ILAPIENTRY* getInteger)(ILenum);
    void(ILAPIENTRY* init)();
    void(ILAPIENTRY* genImages)(ILsizei, ILuint*);
    void(ILAPIENTRY* bindImage)(ILuint);
    ILboolean(ILAPIENTRY* loadImage)(const char*);
    ILboolean(ILAPIENTRY* loadLump)(ILenum, const void*, ILuint);
    ILenum(ILAPIENTRY* typeFromExtension)(const char*);
    ILboolean(ILAPIENTRY* convertImage)(ILenum, ILenum);
    ILubyte*(ILAPIENTRY* getData)();
    void(ILAPIENTRY* deleteImages)(ILsizei, const ILuint*);
    const char*(ILAPIENTRY* getString)(ILenum);
    // Saving, looked up apart: a library without it still loads images as before.
    ILboolean(ILAPIENTRY* texImage)(ILuint, ILuint, ILuint, ILubyte, ILenum, ILenum, void*);
    void(ILAPIENTRY* registerOrigin)(ILenum);
    ILboolean(ILAPIENTRY* enable)(ILenum);
    ILboolean(ILAPIENTRY* disable)(ILenum);
    ILboolean(ILAPIENTRY* save)(ILenum, const char*);
    ILuint(ILAPIENTRY* saveLump)(ILenum, void*, ILuint);
    bool canSave;
};

// Only the folder of korvalin.exe: a DevIL.dll in the current folder (often a downloaded
// mesh's) is never loaded.
HMODULE loadFromProgramFolder() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return nullptr;
    path.resize(length);
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return nullptr;
    path.replace(slash + 1, std::wstring::npos, L"DevIL.dll");
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <typename Function> bool find(HMODULE library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr;
}

bool findAll(HMODULE library, DevilEntryPoints& entries) {
    return find(library, "ilGetInteger", entries.getInteger) &&
           find(library, "ilInit", entries.init) &&
           find(library, "ilGenImages", entries.genImages) &&
           find(library, "ilBindImage", entries.bindImage) &&
           find(library, "ilLoadImage", entries.loadImage) &&
           find(library, "ilLoadL", entries.loadLump) &&
           find(library, "ilTypeFromExt", entries.typeFromExtension) &&
           find(library, "ilConvertImage", entries.convertImage) &&
           find(library, "ilGetData", entries.getData) &&
           find(library, "ilDeleteImages", entries.deleteImages) &&
           find(library, "ilGetString", entries.getString);
}

bool findSaving(HMODULE library, DevilEntryPoints& entries) {
    return find(library, "ilTexImage", entries.texImage) &&
           find(library, "ilRegisterOrigin", entries.registerOrigin) &&
           find(library, "ilEnable", entries.enable) &&
           find(library, "ilDisable", entries.disable) && find(library, "ilSave", entries.save) &&
           find(library, "ilSaveL", entries.saveLump);
}

// DevIL's Unicode build takes and gives wide strings: its vendor name "Abysmal Software"
// arrives as 'A', 0, 'b', 0 ... It would read the program's 8-bit paths as garbage.
bool isUnicodeBuild(const DevilEntryPoints& entries) {
    const char* vendor = entries.getString(IL_VENDOR);
    return vendor && vendor[0] != '\0' && vendor[1] == '\0';
}

const DevilEntryPoints* loadDevil() {
    static DevilEntryPoints entries{};
    HMODULE library = loadFromProgramFolder();
    if (!library) return nullptr;
    if (!findAll(library, entries) || isUnicodeBuild(entries)) {
        FreeLibrary(library);
        return nullptr;
    }
    entries.canSave = findSaving(library, entries);
    return &entries;
}

// Loaded once, on the first call; a missing or refused library is not looked for again.
const DevilEntryPoints* devil() {
    static const DevilEntryPoints* const entries = loadDevil();
    return entries;
}

const DevilEntryPoints* devilSaving() {
    const DevilEntryPoints* entries = devil();
    return entries && entries->canSave ? entries : nullptr;
}

} // namespace

ILint ILAPIENTRY ilGetInteger(ILenum mode) {
    const DevilEntryPoints* entries = devil();
    return entries ? entries->getInteger(mode) : 0;
}

void ILAPIENTRY ilInit() {
    if (const DevilEntryPoints* entries = devil()) entries->init();
}

void ILAPIENTRY ilGenImages(ILsizei count, ILuint* images) {
    if (const DevilEntryPoints* entries = devil()) entries->genImages(count, images);
}

void ILAPIENTRY ilBindImage(ILuint image) {
    if (const DevilEntryPoints* entries = devil()) entries->bindImage(image);
}

ILboolean ILAPIENTRY ilLoadImage(ILconst_string fileName) {
    const DevilEntryPoints* entries = devil();
    return entries ? entries->loadImage(fileName) : IL_FALSE;
}

ILboolean ILAPIENTRY ilLoadL(ILenum type, const void* lump, ILuint size) {
    const DevilEntryPoints* entries = devil();
    return entries ? entries->loadLump(type, lump, size) : IL_FALSE;
}

ILenum ILAPIENTRY ilTypeFromExt(ILconst_string fileName) {
    const DevilEntryPoints* entries = devil();
    return entries ? entries->typeFromExtension(fileName) : IL_TYPE_UNKNOWN;
}

ILboolean ILAPIENTRY ilConvertImage(ILenum format, ILenum type) {
    const DevilEntryPoints* entries = devil();
    return entries ? entries->convertImage(format, type) : IL_FALSE;
}

ILubyte* ILAPIENTRY ilGetData() {
    const DevilEntryPoints* entries = devil();
    return entries ? entries->getData() : nullptr;
}

void ILAPIENTRY ilDeleteImages(ILsizei count, const ILuint* images) {
    if (const DevilEntryPoints* entries = devil()) entries->deleteImages(count, images);
}

ILboolean ILAPIENTRY ilTexImage(ILuint width, ILuint height, ILuint depth, ILubyte channels,
                                ILenum format, ILenum type, void* data) {
    const DevilEntryPoints* entries = devilSaving();
    return entries ? entries->texImage(width, height, depth, channels, format, type, data)
                   : IL_FALSE;
}

void ILAPIENTRY ilRegisterOrigin(ILenum origin) {
    if (const DevilEntryPoints* entries = devilSaving()) entries->registerOrigin(origin);
}

ILboolean ILAPIENTRY ilEnable(ILenum mode) {
    const DevilEntryPoints* entries = devilSaving();
    return entries ? entries->enable(mode) : IL_FALSE;
}

ILboolean ILAPIENTRY ilDisable(ILenum mode) {
    const DevilEntryPoints* entries = devilSaving();
    return entries ? entries->disable(mode) : IL_FALSE;
}

ILboolean ILAPIENTRY ilSave(ILenum type, ILconst_string fileName) {
    const DevilEntryPoints* entries = devilSaving();
    return entries ? entries->save(type, fileName) : IL_FALSE;
}

ILuint ILAPIENTRY ilSaveL(ILenum type, void* lump, ILuint size) {
    const DevilEntryPoints* entries = devilSaving();
    return entries ? entries->saveLump(type, lump, size) : 0;
}
