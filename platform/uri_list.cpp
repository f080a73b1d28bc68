#include "platform/uri_list.h"

#include <climits>
#include <unistd.h>

namespace {

int hexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return -1;
}

// A malformed escape, or one that would put a zero byte in a path, makes the whole URI unusable.
bool percentDecode(std::string_view text, std::string& decoded) {
    decoded.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        int high = hexValue(text[i + 1]);
        int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

bool isThisMachine(std::string_view host) {
    if (host.empty() || host == "localhost") return true;
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return false;
    return host == name;
}

std::string_view trimmedLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

} // namespace

bool localPathFromFileUri(std::string_view uri, std::string& path) {
    constexpr std::string_view scheme = "file://";
    if (!startsWithNoCase(uri, scheme)) return false;
    std::string_view rest = uri.substr(scheme.size());
    std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos || !isThisMachine(rest.substr(0, slash))) return false;
    // A query or fragment is not part of a file's name.
    std::string_view encodedPath = rest.substr(slash);
    encodedPath = encodedPath.substr(0, encodedPath.find_first_of("?#"));
    return percentDecode(encodedPath, path) && !path.empty();
}

std::vector<std::string> localFilesFromUriList(std::string_view text) {
    std::vector<std::string> files;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = trimmedLine(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::string path;
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '/' && line.find('\0') == std::string_view::npos)
            files.emplace_back(line);
        else if (localPathFromFileUri(line, path))
            files.push_back(std::move(path));
    }
    return files;
}
