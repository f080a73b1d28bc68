#pragma once

#include <string>

// The formats korvalin-convert writes, by the name that --format takes and OUT's extension
// gives. `.msh` is written by our own writer; the others by the assimp exporter `assimpId`.
struct OutputFormat {
    const char* name;      // --format name
    const char* extension; // OUT's extension that selects it (without the dot), or null
    const char* assimpId;  // assimp exporter id; null for .msh
    const char* title;     // for messages and --help
};

// The format whose --format name is `name`, or null.
const OutputFormat* formatNamed(const std::string& name);
// The format that OUT's extension selects (ASCII case ignored), or null.
const OutputFormat* formatForPath(const std::string& path);
bool isMshFormat(const OutputFormat& format);

struct ConvertOptions {
    std::string inputPath;
    std::string outputPath;
    std::string texturesDir; // for a .msh input; empty: IN's own folder
    bool texturesDirGiven = false;
    bool fit = false; // centre and scale a .msh output into the viewer's start-up view
    const OutputFormat* format = nullptr;
    bool inputIsMsh = false;
};

enum class ParseResult { run, help, badUsage };

// Reads the command line; on badUsage, `problem` says why (may be empty: plain usage).
// A .msh input is told by its extension or by its first line.
ParseResult parseConvertOptions(int argc, char** argv, ConvertOptions& options,
                                std::string& problem);

// The usage line, and with `full` the list of formats.
std::string convertUsage(bool full);
