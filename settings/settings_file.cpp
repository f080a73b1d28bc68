#include "settings/settings_file.h"

#include "mesh/mesh_scene.h"
#include "mesh/number_scan.h"
#include "platform/atomic_file.h"
#include "platform/path_rules.h"
#include "platform/regular_file.h"
#include "render/sensitivity.h"

#include <cmath>
#include <cstdio>
#include <cstring>

char settingsPath[textFieldSize] = {};

namespace {
constexpr std::size_t lineSize = textFieldSize;

// The folder the file held when a run-only folder took its place.
char storedTexturesDir[textFieldSize] = {};
bool runOnlyTexturesDir = false;

// Who could read the file the values came from: the saved file never lets more people read
// them (a link to a private file must not leave its third line in a public one).
unsigned loadedFilePermissions = anyPermissions;

// Lines as a 256-byte getline sees them: once a line is too long or the file has ended, every
// later line reads as empty.
struct SettingsLines {
    std::FILE* file;
    bool stopped = false;
};

// The next character, with CR LF read as a single LF so Windows line ends read the same.
int nextCharacter(std::FILE* file) {
    int character = std::getc(file);
    if (character != '\r') return character;
    int following = std::getc(file);
    if (following == '\n') return '\n';
    if (following != EOF) std::ungetc(following, file);
    return '\r';
}

void readLine(SettingsLines& lines, char (&line)[lineSize]) {
    std::size_t length = 0;
    while (!lines.stopped) {
        int character = nextCharacter(lines.file);
        if (character == '\n') break;
        if (character == EOF || length == lineSize - 1) {
            lines.stopped = true;
            break;
        }
        line[length++] = static_cast<char>(character);
    }
    line[length] = '\0';
}

// A value that is not a finite number would break the view maths, so it counts as missing.
void scanSensitivity(const char* line, float& sensitivity) {
    float value = 0;
    if (scanFloats(line, &value, 1) == 1 && std::isfinite(value)) sensitivity = value;
}
} // namespace

bool buildSettingsPath(const char* directory) {
    loadedFilePermissions = anyPermissions;
    int length = std::snprintf(settingsPath, sizeof settingsPath, "%s%c%s", directory,
                               pathSeparator(), "Korvalin.ini");
    if (length >= 0 && static_cast<std::size_t>(length) < sizeof settingsPath) return true;
    settingsPath[0] = '\0';
    return false;
}

bool loadSettings() {
    if (settingsPath[0] == '\0') return false;
    // A device, a pipe or a folder by that name counts as no settings file.
    RegularFileFacts facts;
    SettingsLines lines{openRegularFile(settingsPath, &facts)};
    if (!lines.file) return false;
    loadedFilePermissions = facts.permissions;
    char line[lineSize];
    readLine(lines, line);
    scanSensitivity(line, mouseSensitivity);
    readLine(lines, line);
    scanSensitivity(line, zoomSensitivity);
    readLine(lines, line);
    meshScene.setTexturesDirectory(line);
    std::fclose(lines.file);
    return true;
}

bool saveSettings() {
    if (settingsPath[0] == '\0') return false;
    // Two numbers in "%g" form and a directory of at most 255 characters always fit.
    char content[512];
    int length =
        std::snprintf(content, sizeof content, "%g\n%g\n%s", static_cast<double>(mouseSensitivity),
                      static_cast<double>(zoomSensitivity),
                      runOnlyTexturesDir ? storedTexturesDir : meshScene.texturesDirectory());
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof content) return false;
    return replaceTextFileContents(settingsPath, content, static_cast<std::size_t>(length),
                                   loadedFilePermissions);
}

void useTexturesDirectoryForThisRun(const char* directory) {
    if (!runOnlyTexturesDir) std::strcpy(storedTexturesDir, meshScene.texturesDirectory());
    runOnlyTexturesDir = true;
    meshScene.setTexturesDirectory(directory);
}

void keepChosenTexturesDirectory() {
    runOnlyTexturesDir = false;
}
