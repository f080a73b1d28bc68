#include "tools/convert/names.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool splitsWords(unsigned char c) {
    return c <= ' ' || c == 0x7f;
}

} // namespace

std::string mshWord(const std::string& name, std::size_t maxLength, const std::string& fallback) {
    std::string word = name.substr(0, maxLength);
    for (char& c : word)
        if (splitsWords(static_cast<unsigned char>(c))) c = '_';
    return word.empty() ? fallback.substr(0, maxLength) : word;
}

// A name is one word of a line of at most 255 characters in a .msh file.
void noteChangedName(const std::string& given, const std::string& written, const char* kind,
                     Notes& notes) {
    if (given.size() > written.size())
        notes.say(std::string(kind) + " names cut to " + std::to_string(written.size()) +
                  " characters (a .msh line holds 255)");
    else if (given != written)
        notes.say(std::string("blanks in ") + kind +
                  " names written as '_' (a .msh name is one word)");
}

bool fitsMshTextureName(const std::string& name) {
    if (name.empty() || name.size() > longestMshWord) return false;
    for (char c : name)
        if (splitsWords(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string pathRelativeTo(const std::string& file, const std::string& folder) {
    std::error_code error;
    fs::path absoluteFile = fs::absolute(file, error).lexically_normal();
    fs::path absoluteFolder = fs::absolute(folder, error).lexically_normal();
    fs::path relative = absoluteFile.lexically_relative(absoluteFolder);
    return relative.empty() ? absoluteFile.generic_string() : relative.generic_string();
}

std::string folderOf(const std::string& path) {
    fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
}

std::string stemOf(const std::string& path) {
    return fs::path(path).stem().string();
}

std::string materialVariantName(const std::string& name, int texture) {
    return name + ".t" + std::to_string(texture);
}

std::string materialBaseName(const std::string& name) {
    std::size_t dot = name.rfind(".t");
    if (dot == std::string::npos || dot + 2 == name.size()) return name;
    for (std::size_t i = dot + 2; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return name;
    return name.substr(0, dot);
}

std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}
