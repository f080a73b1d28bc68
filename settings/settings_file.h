#pragma once

#include "mesh/text_field.h"

#include <cstddef>

// Where the settings live: the start-up directory, the system's separator, "Korvalin.ini".
// Empty when that path did not fit; the settings are then neither read nor written.
extern char settingsPath[textFieldSize];

// Builds settingsPath from the directory; false (and an empty path) when it does not fit.
bool buildSettingsPath(const char* directory);

// Reads mouseSensitivity, zoomSensitivity and the textures directory (which then counts as
// set, even when empty). False when the file cannot be opened; nothing changes then.
bool loadSettings();

// Writes the three settings as a text file with the system's line ends, replacing the file
// whole or not at all. False when it cannot.
bool saveSettings();

// A textures folder for this run only, such as one named on the command line: the file keeps
// the folder it had, unless the user chooses one with the menu afterwards.
void useTexturesDirectoryForThisRun(const char* directory);
// The user chose a textures folder: from now on it is the one saved.
void keepChosenTexturesDirectory();
