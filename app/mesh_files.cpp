#include "app/mesh_files.h"

#include "app/status_text.h"
#include "app/viewer_state.h"
#include "mesh/mesh_reader.h"
#include "platform/folders.h"
#include "platform/platform_services.h"
#include "platform/window_messages.h"
#include "settings/open_mesh_command.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr unsigned settleTimer = 1;
// A file written in bursts is read once this long has passed without a change.
constexpr unsigned settleMilliseconds = 300;

bool watching = false;
std::vector<std::string> watchedFiles;

// Windows paths may use either separator.
std::size_t nameStart(const std::string& path) {
    std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? 0 : separator + 1;
}

std::string nameOf(const std::string& path) {
    return path.substr(nameStart(path));
}

bool isMeshName(const std::string& name) {
    constexpr const char* extension = ".msh";
    const std::size_t length = std::strlen(extension);
    if (name.size() <= length) return false;
    for (std::size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - length + i])) !=
            extension[i])
            return false;
    return true;
}

std::vector<std::string> meshNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (!filesInFolder(folder.empty() ? "." : folder.c_str(), names)) return {};
    std::erase_if(names, [](const std::string& name) { return !isMeshName(name); });
    std::sort(names.begin(), names.end());
    return names;
}

// Where the shown file sits in the sorted names, or would sit if it has gone.
std::size_t positionOf(const std::vector<std::string>& names, const std::string& name) {
    return static_cast<std::size_t>(std::lower_bound(names.begin(), names.end(), name) -
                                    names.begin());
}

std::string skippedText(const std::vector<std::string>& skipped) {
    std::string text = "Skipped (could not load):";
    for (const std::string& name : skipped)
        text += " " + name;
    return text;
}

} // namespace

void reloadShownMesh(WindowHandle window) {
    std::string shown = shownMeshFile();
    if (shown.empty()) return;
    if (reopenMeshPath(window, shown.c_str(), paintEnabled)) {
        followShownMesh(window);
        return;
    }
    showStatus("Could not load " + nameOf(shown) + " again; the model shown stays");
    platformServices().sendMessage(window, WM_PAINT, 0, 0);
}

void showNeighbourMesh(WindowHandle window, int step) {
    const std::string shown = shownMeshFile();
    if (shown.empty()) return;
    const std::string folder = shown.substr(0, nameStart(shown));
    const std::vector<std::string> names = meshNamesIn(folder);
    const auto count = static_cast<long long>(names.size());
    const std::string shownName = nameOf(shown);
    const auto from = static_cast<long long>(positionOf(names, shownName));
    bool shownListed = from < count && names[from] == shownName;
    // Going back from a file that has gone starts at the name before its place.
    long long index = !shownListed && step > 0 ? from - 1 : from;
    std::vector<std::string> skipped;
    for (long long tried = 0; tried < count; ++tried) {
        index = ((index + step) % count + count) % count;
        if (names[index] == shownName) break;
        if (reopenMeshPath(window, (folder + names[index]).c_str(), paintEnabled)) {
            followShownMesh(window);
            break;
        }
        skipped.push_back(names[index]);
    }
    if (skipped.empty()) return;
    showStatus(skippedText(skipped));
    platformServices().sendMessage(window, WM_PAINT, 0, 0);
}

void setWatching(bool on) {
    watching = on;
}

void followShownMesh(WindowHandle window) {
    if (!watching || !*shownMeshFile()) return;
    std::vector<std::string> files{shownMeshFile()};
    const std::vector<std::string>& images = meshImagePaths();
    files.insert(files.end(), images.begin(), images.end());
    if (files == watchedFiles) return;
    watchedFiles = files;
    platformServices().watchFiles(window, watchedFiles);
}

void onFileChanged(WindowHandle window) {
    if (watching) platformServices().setTimer(window, settleTimer, settleMilliseconds);
}

bool onWatchTimer(WindowHandle window, unsigned timerId) {
    if (timerId != settleTimer) return false;
    // While a file is being opened (a chooser may be up), the reading waits for the next round.
    if (!paintEnabled) return true;
    platformServices().killTimer(window, settleTimer);
    reloadShownMesh(window);
    return true;
}
