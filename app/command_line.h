#pragma once

// What the viewer was asked for on its command line:
//     korvalin [--textures DIR] [--shaded] [--watch] [FILE.msh]
//     korvalin --help | --version
enum class CommandLineAction { Run, ShowHelp, ShowVersion, BadUsage };

struct CommandLine {
    CommandLineAction action = CommandLineAction::Run;
    const char* meshPath = nullptr;    // null: start empty
    const char* texturesDir = nullptr; // null: the folder from the settings file
    bool shaded = false;               // start with the headlight on
    bool watch = false;                // read the file again when it changes
};

CommandLine parseCommandLine(int argc, char** argv);

constexpr const char* commandLineUsage = "usage: korvalin [--textures DIR] [--shaded] [--watch] "
                                         "[FILE.msh]\n"
                                         "       korvalin --help | --version\n";
