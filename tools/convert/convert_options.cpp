#include "tools/convert/convert_options.h"

#include "platform/regular_file.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

// PLY and STL are written binary unless asked for text: smaller, and exact for every float.
constexpr OutputFormat formats[] = {
    {"msh", "msh", nullptr, "Korvalin mesh (MSHX1)"},
    {"obj", "obj", "obj", "Wavefront OBJ with an MTL material library"},
    {"gltf", "gltf", "gltf2", "glTF 2.0, JSON with a .bin buffer beside it"},
    {"glb", "glb", "glb2", "glTF 2.0 binary, textures inside (as PNG unless JPEG)"},
    {"ply", "ply", "plyb", "Stanford PLY, binary"},
    {"ply-ascii", nullptr, "ply", "Stanford PLY, text"},
    {"stl", "stl", "stlb", "STL, binary (no materials, no textures)"},
    {"stl-ascii", nullptr, "stl", "STL, text"},
    {"dae", "dae", "collada", "COLLADA"},
    {"collada", nullptr, "collada", "COLLADA"},
};

bool sameIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

std::string extensionOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return path.substr(dot + 1);
}

// The first line is exactly the magic line, as the reader wants it.
// Only a regular file is looked into: a pipe or a device given as IN must not block or spin
// here, before the isolated import with its time limit.
bool beginsWithMagicLine(const std::string& path) {
    std::FILE* file = openRegularFile(path.c_str());
    if (!file) return false;
    char head[8] = {};
    std::size_t got = std::fread(head, 1, 7, file);
    std::fclose(file);
    if (got < 5 || std::memcmp(head, "MSHX1", 5) != 0) return false;
    return got == 5 || head[5] == '\n' || (head[5] == '\r' && got > 6 && head[6] == '\n');
}

} // namespace

const OutputFormat* formatNamed(const std::string& name) {
    for (const OutputFormat& format : formats)
        if (sameIgnoringAsciiCase(format.name, name.c_str())) return &format;
    return nullptr;
}

const OutputFormat* formatForPath(const std::string& path) {
    std::string extension = extensionOf(path);
    if (extension.empty()) return nullptr;
    for (const OutputFormat& format : formats)
        if (format.extension && sameIgnoringAsciiCase(format.extension, extension.c_str()))
            return &format;
    return nullptr;
}

bool isMshFormat(const OutputFormat& format) {
    return format.assimpId == nullptr;
}

std::string convertUsage(bool full) {
    std::string text = "usage: korvalin-convert [--format FMT] [--textures DIR] [--fit] IN OUT\n";
    if (!full) return text;
    text += "\nConverts a model into a .msh file (IN: any format assimp reads) or a .msh file\n"
            "into another format (OUT's extension or --format chooses it). --textures DIR is\n"
            "the folder of a .msh input's images (default: IN's folder). --fit centres a .msh\n"
            "output at the origin and scales it to fill the viewer's start-up view.\n\n"
            "Formats:\n";
    for (const OutputFormat& format : formats) {
        char line[128];
        std::snprintf(line, sizeof line, "  %-10s %s\n", format.name, format.title);
        text += line;
    }
    text += "\nExit status: 0 converted, 1 not converted (OUT left as it was), 2 bad usage.\n";
    return text;
}

namespace {

// The words of the command line into options; the format's name, when given, into formatName.
ParseResult readWords(int argc, char** argv, ConvertOptions& options, std::string& formatName,
                      std::string& problem) {
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help") return ParseResult::help;
        if (word == "--fit") {
            options.fit = true;
            continue;
        }
        if (word == "--format" || word == "--textures") {
            if (i + 1 >= argc) {
                problem = word + " needs a value";
                return ParseResult::badUsage;
            }
            (word == "--format" ? formatName : options.texturesDir) = argv[++i];
            if (word == "--textures") options.texturesDirGiven = true;
        } else if (word.size() > 1 && word[0] == '-') {
            problem = "unknown option " + word;
            return ParseResult::badUsage;
        } else if (positional < 2) {
            (positional++ == 0 ? options.inputPath : options.outputPath) = word;
        } else {
            problem = "one input and one output only";
            return ParseResult::badUsage;
        }
    }
    if (options.inputPath.empty() || options.outputPath.empty()) return ParseResult::badUsage;
    return ParseResult::run;
}

} // namespace

ParseResult parseConvertOptions(int argc, char** argv, ConvertOptions& options,
                                std::string& problem) {
    std::string formatName;
    ParseResult result = readWords(argc, argv, options, formatName, problem);
    if (result != ParseResult::run) return result;
    options.format =
        formatName.empty() ? formatForPath(options.outputPath) : formatNamed(formatName);
    if (!options.format) {
        problem =
            formatName.empty()
                ? "cannot tell OUT's format from its name " + options.outputPath + "; give --format"
                : "unknown format " + formatName + " (korvalin-convert --help lists them)";
        return ParseResult::badUsage;
    }
    const OutputFormat* inputFormat = formatForPath(options.inputPath);
    options.inputIsMsh =
        (inputFormat && isMshFormat(*inputFormat)) || beginsWithMagicLine(options.inputPath);
    if (options.inputIsMsh == isMshFormat(*options.format)) {
        problem = options.inputIsMsh ? "IN is a .msh file: OUT must be another format"
                                     : "one of IN and OUT must be a .msh file";
        return ParseResult::badUsage;
    }
    std::error_code error;
    if (std::filesystem::equivalent(options.inputPath, options.outputPath, error)) {
        problem = "IN and OUT are the same file";
        return ParseResult::badUsage;
    }
    if (options.fit && options.inputIsMsh) {
        problem = "--fit is for a .msh output only";
        return ParseResult::badUsage;
    }
    if (options.texturesDirGiven && !options.inputIsMsh) {
        problem = "--textures is for a .msh input only";
        return ParseResult::badUsage;
    }
    return ParseResult::run;
}
