// korvalin-convert: models in other formats into .msh files, and .msh files out, via assimp.
#include "mesh/image_decoder.h"
#include "tools/convert/convert.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

constexpr int exitConverted = 0;
constexpr int exitNotConverted = 1;
constexpr int exitBadUsage = 2;

long long fileSize(const std::string& path) {
    struct stat status = {};
    return stat(path.c_str(), &status) == 0 ? status.st_size : 0;
}

} // namespace

int main(int argc, char** argv) {
    // Before assimp or any model is loaded, so that the decoding launcher stays small.
    startImageDecoder();
    ConvertOptions options;
    std::string problem;
    switch (parseConvertOptions(argc, argv, options, problem)) {
    case ParseResult::help:
        std::fputs(convertUsage(true).c_str(), stdout);
        return exitConverted;
    case ParseResult::badUsage:
        if (!problem.empty()) std::fprintf(stderr, "korvalin-convert: %s\n", problem.c_str());
        std::fputs(convertUsage(false).c_str(), stderr);
        return exitBadUsage;
    case ParseResult::run:
        break;
    }
    Progress progress(fileSize(options.inputPath), Progress::stderrIsTerminal());
    Notes notes;
    std::string error;
    bool converted = options.inputIsMsh ? convertFromMsh(options, progress, notes, error)
                                        : convertIntoMsh(options, progress, notes, error);
    if (!converted) {
        std::fprintf(stderr, "korvalin-convert: %s\n", error.c_str());
        return exitNotConverted;
    }
    notes.flush();
    return exitConverted;
}
