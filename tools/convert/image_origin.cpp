#include "tools/convert/image_origin.h"

#include "platform/isolated_process.h"

#include <IL/il.h>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The helper's work: one 32-bit answer per file, the library's origin value or 0.
int answerOrigins(int requests, int answers) {
    char path[4097];
    for (int file; (file = receiveRequest(requests, path, sizeof path)) >= 0;) {
        std::int32_t origin = 0;
        if (std::FILE* stream = fdopen(file, "rb")) {
            ILuint image = 0;
            ilGenImages(1, &image);
            ilBindImage(image);
            if (ilLoadF(ilTypeFromExt(path), stream)) origin = ilGetInteger(IL_IMAGE_ORIGIN);
            ilDeleteImages(1, &image);
            std::fclose(stream);
        } else {
            close(file);
        }
        if (write(answers, &origin, sizeof origin) != sizeof origin) return 1;
    }
    return 0;
}

} // namespace

std::vector<bool> imagesDeliveredTopRowFirst(const std::vector<std::string>& paths) {
    std::vector<bool> topFirst(paths.size(), true);
    if (paths.empty()) return topFirst;
    static const bool initialised = (ilInit(), true);
    (void)initialised;
    IsolatedProcess helper;
    IsolationLimits limits;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        int file = open(paths[i].c_str(), O_RDONLY | O_CLOEXEC);
        if (file < 0) continue;
        if (!helper.running() && !helper.start(answerOrigins, limits)) {
            close(file);
            break;
        }
        bool sent = helper.send(file, paths[i].c_str(), paths[i].size() + 1);
        close(file);
        std::int32_t origin = 0;
        if (sent) {
            helper.awaitAnswer();
            if (!helper.read(&origin, sizeof origin)) helper.stop(); // the next file gets a new one
        }
        topFirst[i] = origin != IL_ORIGIN_LOWER_LEFT;
    }
    return topFirst;
}
