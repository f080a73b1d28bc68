#include "app/command_line.h"

#include "mesh/mesh_scene.h"

#include <cstring>

namespace {

bool is(const char* argument, const char* option) {
    return std::strcmp(argument, option) == 0;
}

// "-" alone is a file name; anything else starting with '-' is an option.
bool looksLikeOption(const char* argument) {
    return argument[0] == '-' && argument[1] != '\0';
}

CommandLine badUsage() {
    CommandLine result;
    result.action = CommandLineAction::BadUsage;
    return result;
}

} // namespace

CommandLine parseCommandLine(int argc, char** argv) {
    CommandLine result;
    if (argc == 2 && is(argv[1], "--help")) result.action = CommandLineAction::ShowHelp;
    if (argc == 2 && is(argv[1], "--version")) result.action = CommandLineAction::ShowVersion;
    if (result.action != CommandLineAction::Run) return result;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (!optionsEnded && is(argument, "--")) {
            optionsEnded = true;
        } else if (!optionsEnded && is(argument, "--textures") && i + 1 < argc &&
                   !result.texturesDir) {
            result.texturesDir = argv[++i];
        } else if (!optionsEnded && is(argument, "--shaded")) {
            result.shaded = true;
        } else if (!optionsEnded && is(argument, "--watch")) {
            result.watch = true;
        } else if ((!optionsEnded && looksLikeOption(argument)) || result.meshPath) {
            return badUsage();
        } else {
            result.meshPath = argument;
        }
    }
    // A folder the viewer could only cut short is refused here rather than misread later.
    if (result.texturesDir && std::strlen(result.texturesDir) >= textFieldSize) return badUsage();
    return result;
}
